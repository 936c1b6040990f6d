// Publishing's pure core: the broker's URL, the conf file and what the
// command line adds to it, the payloads as golden JSON text, the bounded
// queue, the back-off, and the publish command in the one table.
#include <gtest/gtest.h>

#include "cli/command_table.h"
#include "cli/invocation.h"
#include "publish/broker_url.h"
#include "publish/frame_queue.h"
#include "publish/payloads.h"
#include "publish/publish_config.h"
#include "publish/reconnect_backoff.h"
#include "publish/topics.h"

namespace {

TEST(BrokerUrl, SchemesPortsHostsAndPrefixesOrOneLineWhy) {
  struct Row {
    std::string url;
    std::string parsed;  // "tls host port prefix", or the error
  };
  const Row rows[] = {
      {"mqtt://broker.plant/plant/line1", "0 broker.plant 1883 plant/line1"},
      {"mqtts://10.0.0.5:9883/a", "1 10.0.0.5 9883 a"},
      {"mqtts://[::1]/x/y", "1 ::1 8883 x/y"},
      {"mqtt://h:1", "0 h 1 "},
      {"http://h/p", "broker 'http://h/p': the broker is mqtt://HOST[:PORT]/PREFIX or mqtts://..."},
      {"mqtt://u:pw@h/p",
       "broker 'mqtt://u:pw@h/p': no user or password in the URL (it would show in the process "
       "list); give --username and --password-file"},
      {"mqtt://h:0/p", "broker 'mqtt://h:0/p': the port is 1 to 65535, not '0'"},
      {"mqtt://h:65536/p", "broker 'mqtt://h:65536/p': the port is 1 to 65535, not '65536'"},
      {"mqtt://h:/p", "broker 'mqtt://h:/p': the port is empty"},
      {"mqtt:///p", "broker 'mqtt:///p': no host"},
      {"mqtt://h/p?x", "broker 'mqtt://h/p?x': a query has no meaning here"},
      {"mqtt://h/plant/+", "topic prefix 'plant/+' holds the wildcard '+'"},
      {"mqtt://h/plant#", "topic prefix 'plant#' holds the wildcard '#'"},
      {"mqtt://h/plant//x", "topic prefix 'plant//x' has an empty level"},
      {"mqtt://h/plant/", "topic prefix 'plant/' has an empty level"},
  };
  for (const Row& row : rows) {
    publish::BrokerUrl url;
    std::string error;
    const bool ok = publish::ParseBrokerUrl(row.url, &url, &error);
    EXPECT_EQ(ok ? std::to_string(url.tls) + " " + url.host + " " + std::to_string(url.port) + " " +
                       url.prefix
                 : error,
              row.parsed);
  }
  publish::BrokerUrl v6{true, "::1", 8883, ""};
  EXPECT_EQ(publish::BrokerLabel(v6), "[::1]:8883");
}

TEST(PublishConfig, KeysValuesAndTheLineAtFault) {
  publish::PublishSettings file;
  std::string error;
  ASSERT_TRUE(publish::ParsePublishConfig(
      "# line 1\n\n port = /dev/ttyUSB0 \nbroker=mqtt://b:1884\r\nprefix = plant/line1\n"
      "client-id = l1\nusername = line1\npassword-file = /etc/vantrel/l1.pw\nqos = 0\n",
      "l1.conf", &file, &error))
      << error;
  publish::PublishSettings given;
  given.qos = 1;
  given.clientId = "cmd";
  publish::PublishTarget target;
  ASSERT_TRUE(publish::ResolveTarget(publish::Overlay(file, given), &target, &error)) << error;
  EXPECT_EQ(target.port, "/dev/ttyUSB0");
  EXPECT_EQ(publish::BrokerLabel(target.broker) + " " + target.broker.prefix, "b:1884 plant/line1");
  EXPECT_EQ(target.clientId, "cmd");
  EXPECT_EQ(target.username + " " + target.passwordFile, "line1 /etc/vantrel/l1.pw");
  EXPECT_EQ(target.qos, 1);

  const std::pair<std::string, std::string> refused[] = {
      {"port = 1\nbroker\n", "f.conf:2: 'key = value' expected, not 'broker'"},
      {"host = b\n",
       "f.conf:1: unknown key 'host' (port, broker, prefix, client-id, username, password-file, "
       "qos, cafile)"},
      {"qos = 1\n# x\nqos = 0\n", "f.conf:3: 'qos' is given twice"},
      {"qos = 2\n", "f.conf:1: qos is 0 or 1, not '2'"},
      {"cafile =\n", "f.conf:1: 'cafile' has no value"},
  };
  for (const auto& [text, why] : refused) {
    EXPECT_FALSE(publish::ParsePublishConfig(text, "f.conf", &file, &error));
    EXPECT_EQ(error, why);
  }
}

TEST(PublishConfig, WhatTheSettingsMustHoldTogether) {
  const auto resolve = [](std::string broker, std::string prefix, std::string user,
                          std::string password, std::string cafile) {
    publish::PublishSettings settings;
    settings.broker = broker;
    settings.prefix = prefix;
    settings.username = user;
    settings.passwordFile = password;
    settings.cafile = cafile;
    publish::PublishTarget target;
    std::string error;
    return publish::ResolveTarget(settings, &target, &error)
               ? target.clientId + " qos " + std::to_string(target.qos)
               : error;
  };
  EXPECT_EQ(resolve("mqtt://b/plant/line1", "", "", "", ""), "vantrel-plant-line1 qos 1");
  EXPECT_EQ(resolve("mqtts://b", "p/q", "u", "pw", "ca.pem"), "vantrel-p-q qos 1");
  EXPECT_EQ(resolve("", "p", "", "", ""),
            "no broker: give --mqtt mqtt://HOST[:PORT]/PREFIX (or broker = in --config)");
  EXPECT_EQ(resolve("mqtt://b", "", "", "", ""),
            "no topic prefix: end the broker's URL with /PREFIX (e.g. plant/line1)");
  EXPECT_EQ(resolve("mqtt://b/p", "q", "", "", ""),
            "the topic prefix is given twice: in the broker's URL and as prefix");
  EXPECT_EQ(resolve("mqtt://b/p", "", "", "pw", ""),
            "a password file goes with a user name (--username)");
  EXPECT_EQ(resolve("mqtt://b/p", "", "", "", "ca.pem"),
            "a CA file is for mqtts:// (TLS); the broker is mqtt://");
}

TEST(PublishPayloads, GoldenJsonOfEveryTopic) {
  publish::FrameStamp stamp{7, 1796694311123456, 250};
  // eMode 2 with a scale factor of 0.9: 100 px of a 7.8 um line are 701 um
  // (truncated); 612 lies in 512 +- 100, its limit included.
  EXPECT_EQ(
      publish::MeasurementPayload(stamp, {100, 300, 100, 512, 100, 0, 2, 800, 790}, 7800, 0.9f),
      "{\"seq\":7,\"time\":\"2026-12-08T01:45:11.123456Z\",\"time_ms\":250,\"edge1\":100,"
      "\"edge2\":300,\"value\":100,\"teach\":512,\"tolerance\":100,\"pix1\":0,\"edcnt\":2,"
      "\"mvstart\":800,\"mvend\":790,\"value_um\":701,\"inside\":false}");
  EXPECT_NE(publish::MeasurementPayload(stamp, {0, 0, 612, 512, 100}, 25000, 1.0f)
                .find("\"value_um\":15300,\"inside\":true}"),
            std::string::npos);
  EXPECT_EQ(publish::StatusPayload(publish::SensorState::kLost, 3),
            "{\"state\":\"lost\",\"dropped\":3}");
  publish::SensorIdentity identity{"COM1", "/dev/ttyS0", "FW \xB5 2.07", 3, 512};
  EXPECT_EQ(publish::IdentityPayload(identity),
            "{\"port\":\"COM1\",\"device\":\"/dev/ttyS0\",\"firmware\":\"FW \xC2\xB5 2.07\","
            "\"ccd_type\":3,\"ccd\":\"CCD-SENSOR: 512 pixel; 25\xC2\xB5m pixel-pitch, 12,8mm "
            "working range\",\"pixels\":512,\"pixel_pitch_nm\":25000}");
  EXPECT_EQ(
      publish::ParametersPayload({500, 0, 512, 64, 1, 1, 1, 512, 512, 100, 1, 1, 0, 1, 0, 1000}),
      "{\"power\":500,\"pwrMode\":0,\"vThd\":512,\"bVal\":64,\"polarity\":1,\"eMode\":1,"
      "\"eBeg\":1,\"eEnd\":512,\"tVal\":512,\"tTol\":100,\"iGain\":1,\"ePoti\":1,"
      "\"ccdMode\":0,\"pStart\":1,\"bMode\":0,\"para15\":1000}");
  EXPECT_EQ(publish::UtcTime(0), "1970-01-01T00:00:00.000000Z");
  EXPECT_EQ(publish::UtcTime(-1), "1969-12-31T23:59:59.999999Z");
  const publish::Topics topics = publish::TopicsUnder("plant/line1");
  EXPECT_EQ(
      topics.measurement + " " + topics.status + " " + topics.identity + " " + topics.parameters,
      "plant/line1/measurement plant/line1/status plant/line1/identity "
      "plant/line1/parameters");
}

TEST(FrameQueue, OldestDroppedFirstOnlyWhenFullAndCounted) {
  publish::FrameQueue queue(3);
  for (const char* frame : {"1", "2", "3"}) queue.Push(frame);
  EXPECT_EQ(queue.Dropped(), 0u);
  queue.Push("4");
  queue.Push("5");
  EXPECT_EQ(queue.Dropped(), 2u);
  std::string order;
  for (; !queue.Empty(); queue.PopFront()) order += queue.Front();
  EXPECT_EQ(order, "345");
}

TEST(ReconnectBackoff, DoublesFromHalfASecondToFiveAndSpreadsByAFifth) {
  std::string delays;
  for (int failures = 1; failures <= 6; ++failures)
    delays += std::to_string(publish::ReconnectDelay(failures, 0.0)).substr(0, 3) + " ";
  EXPECT_EQ(delays, "0.5 1.0 2.0 4.0 5.0 5.0 ");
  EXPECT_DOUBLE_EQ(publish::ReconnectDelay(1, 1.0), 0.6);
  EXPECT_DOUBLE_EQ(publish::ReconnectDelay(9, -7.0), 4.0);
}

TEST(PublishCommand, InTheTableWithItsOptionsAndTheQueueSizeOnItsPage) {
  const cli::ParseResult parsed = cli::Parse(
      {"--port", "COM2", "publish", "--mqtt", "mqtt://b/p", "--qos", "0", "--username", "u",
       "--password-file", "pw", "--cafile", "ca", "--client-id", "c", "--config", "f.conf"});
  ASSERT_TRUE(parsed.ok) << parsed.error;
  const cli::Invocation& publish = parsed.invocation;
  EXPECT_EQ(publish.mqtt + publish.username + publish.passwordFile + publish.cafile +
                publish.clientId + publish.config + std::to_string(publish.qos),
            "mqtt://b/pupwcacf.conf0");
  EXPECT_EQ(cli::Parse({"publish"}).error, "publish needs --mqtt URL or --config FILE");
  EXPECT_EQ(cli::Parse({"publish", "--mqtt", "m", "--qos", "2"}).error, "--qos takes 0|1, not '2'");
  EXPECT_EQ(cli::Parse({"watch", "--mqtt", "m"}).error, "--mqtt is not an option of watch");
  const std::string page = cli::Spec(cli::Command::kPublish).description;
  EXPECT_NE(page.find("a queue of " + std::to_string(publish::kQueueFrames) + " frames"),
            std::string::npos);
  EXPECT_NE(page.find("after 0.5 s, doubling to every 5 s"), std::string::npos);
}

}  // namespace
