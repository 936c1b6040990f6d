// Network ports' pure core: the URLs a device may be given, and the Telnet
// client of a serial device server (RFC 2217), byte for byte.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "netport/port_url.h"
#include "netport/telnet_client.h"

namespace netport {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(PortUrl, TakesBothSchemesAndRefusesWhatIsNoServer) {
  struct Row {
    const char* text;
    Transport transport;
    const char* host;
    int port;
    const char* lockName;
  };
  const Row rows[] = {
      {"rfc2217://127.0.0.1:4001", Transport::kRfc2217, "127.0.0.1", 4001, "127.0.0.1-4001"},
      {"TCP://Moxa-Line3.local:10001", Transport::kRawTcp, "Moxa-Line3.local", 10001,
       "moxa-line3.local-10001"},
      {"rfc2217://[fe80::1]:2101", Transport::kRfc2217, "fe80::1", 2101, "fe80__1-2101"},
      {"rfc2217://host:65535", Transport::kRfc2217, "host", 65535, "host-65535"},
  };
  const char* const refused[] = {"telnet://host:23",     "rfc2217://host",
                                 "rfc2217://:4001",      "rfc2217://host:0",
                                 "rfc2217://host:65536", "tcp://host:4001/path",
                                 "tcp://ho st:4001",     "rfc2217://[::1]4001",
                                 "/dev/ttyUSB0",         "COM3"};
  for (const char* text : refused) {
    PortUrl url;
    std::string error;
    EXPECT_FALSE(ParsePortUrl(text, &url, &error)) << text;
    EXPECT_FALSE(error.empty()) << text;
  }
  for (const Row& r : rows) {
    PortUrl url;
    std::string error;
    ASSERT_TRUE(ParsePortUrl(r.text, &url, &error)) << r.text << ": " << error;
    EXPECT_EQ(url.transport, r.transport) << r.text;
    EXPECT_EQ(url.host, r.host) << r.text;
    EXPECT_EQ(url.port, r.port) << r.text;
    EXPECT_EQ(PortUrlLockName(url), r.lockName) << r.text;
  }
  EXPECT_TRUE(IsPortUrl("telnet://host:23")) << "any scheme is a URL, never a path";
  EXPECT_FALSE(IsPortUrl("/tmp/x://y"));
  EXPECT_FALSE(IsPortUrl("ttyUSB0"));
  PortUrl v6{Transport::kRawTcp, "::1", 4001};
  EXPECT_EQ(HostAndPort(v6), "[::1]:4001");
}

// IAC SB COM-PORT-OPTION <command> <value> IAC SE
Bytes Sub(uint8_t command, const Bytes& value) {
  Bytes out{255, 250, 44, command};
  for (const uint8_t b : value) out.push_back(b);
  out.push_back(255);
  out.push_back(240);
  return out;
}

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

struct Fed {
  Bytes data, reply;
};
Fed Feed(TelnetClient& client, const Bytes& bytes) {
  Fed fed;
  client.Receive(bytes.data(), bytes.size(), &fed.data, &fed.reply);
  return fed;
}

// What ser2net answers to the client's opening: it agrees to BINARY both ways
// and to the COM-PORT-OPTION, and offers ECHO and SGA.
const Bytes kServerAgrees = {255, 253, 0, 255, 251, 0, 255, 253, 44, 255, 251, 1, 255, 251, 3};
const Bytes kAcks19200 =
    Cat({Sub(101, {0, 0, 0x4B, 0}), Sub(102, {8}), Sub(103, {1}), Sub(104, {1})});

TEST(TelnetClient, SetsTheLineAt19200_8N1AndIsReadyOnlyWhenTheServerConfirmsIt) {
  TelnetClient client;
  EXPECT_EQ(client.Start(), (Bytes{255, 251, 0, 255, 253, 0, 255, 251, 44}));
  const Fed agreed = Feed(client, kServerAgrees);
  // ECHO refused (the server must not send our frames back), SGA taken; then
  // the settings, no flow control, DTR and RTS, the masks and a purge of both
  // buffers, in this order. The agreed BINARY requests are not answered again.
  EXPECT_EQ(agreed.reply, Cat({Sub(1, {0, 0, 0x4B, 0}), Sub(2, {8}), Sub(3, {1}), Sub(4, {1}),
                               Sub(5, {1}), Sub(5, {8}), Sub(5, {11}), Sub(10, {0x1E}),
                               Sub(11, {0}), Sub(12, {3}), Bytes{255, 254, 1, 255, 253, 3}}));
  EXPECT_EQ(client.State(), TelnetState::kNegotiating);
  Feed(client, Cat({Sub(101, {0, 0, 0x4B, 0}), Sub(102, {8}), Sub(103, {1})}));
  EXPECT_EQ(client.State(), TelnetState::kNegotiating) << "the stop size is not confirmed yet";
  // No answer to flow control, DTR, RTS or the purge: a line without modem
  // lines (a pseudo-terminal behind ser2net) never sends them.
  Feed(client, Sub(104, {1}));
  EXPECT_EQ(client.State(), TelnetState::kReady);
}

TEST(TelnetClient, RefusesAServerThatCannotSetTheLine) {
  struct Row {
    Bytes server;
    const char* reason;
  };
  const Row rows[] = {
      {{255, 254, 44}, "COM-PORT-OPTION"},
      {Cat({kServerAgrees, Sub(101, {0, 0, 0x25, 0x80})}), "baud rate to 9600 instead of 19200"},
      {Cat({kServerAgrees, Sub(103, {3})}), "parity to 3 instead of 1"},
      {Cat({kServerAgrees, Sub(101, {0x4B, 0})}), "not 4 bytes"},
  };
  for (const Row& r : rows) {
    TelnetClient client;
    client.Start();
    Feed(client, r.server);
    EXPECT_EQ(client.State(), TelnetState::kRefused);
    EXPECT_NE(client.Reason().find(r.reason), std::string::npos) << client.Reason();
  }
}

TEST(TelnetClient, EveryByteValuePassesBothWaysInAnySplit) {
  TelnetClient client;
  client.Start();
  Feed(client, Cat({kServerAgrees, kAcks19200}));
  Bytes all;
  for (int i = 0; i < 256; ++i) all.push_back(static_cast<uint8_t>(i));
  const Bytes wire = client.Encode(all.data(), all.size());
  ASSERT_EQ(wire.size(), 257u) << "only 0xFF is doubled";
  EXPECT_EQ(wire[255], 0xFF);
  EXPECT_EQ(wire[256], 0xFF);
  EXPECT_EQ(wire[14], 14) << "CR goes alone in binary mode";
  // The server's side escapes the same way; a chunk may end anywhere, also
  // between the two bytes of an escape, and notices may come in between.
  const Bytes notice = Sub(107, {0x30});
  for (size_t split = 0; split <= wire.size(); ++split) {
    TelnetClient reader;
    reader.Start();
    Feed(reader, Cat({kServerAgrees, kAcks19200}));
    const Bytes first(wire.begin(), wire.begin() + static_cast<long>(split));
    const Bytes rest(wire.begin() + static_cast<long>(split), wire.end());
    Fed a = Feed(reader, first);
    const Fed b = Feed(reader, split % 2 ? Cat({notice, rest}) : rest);
    a.data.insert(a.data.end(), b.data.begin(), b.data.end());
    ASSERT_EQ(a.data, all) << "split at " << split;
  }
}

TEST(TelnetClient, FollowsTheServersNoticesAndEscapesWithoutBinary) {
  TelnetClient client;
  client.Start();
  // No BINARY from the server: a CR comes as CR NUL and goes out so too.
  Feed(client, Cat({Bytes{255, 253, 44, 255, 252, 0, 255, 254, 0}, kAcks19200}));
  ASSERT_EQ(client.State(), TelnetState::kReady);
  const Bytes crs = {13, 0, 13, 10, 0xAA};
  EXPECT_EQ(Feed(client, crs).data, (Bytes{13, 13, 10, 0xAA}));
  const uint8_t cr = 13;
  EXPECT_EQ(client.Encode(&cr, 1), (Bytes{13, 0}));
  EXPECT_EQ(client.Purge(kPurgeReceive), Sub(12, {1}));

  Feed(client, Cat({Sub(106, {0x60}), Sub(108, {})}));
  EXPECT_EQ(client.LineErrorNotices(), 0);
  EXPECT_TRUE(client.SendingSuspended());
  Feed(client, Cat({Sub(106, {0x68}), Sub(109, {}), Sub(112, {1}), Bytes{255, 241}}));
  EXPECT_EQ(client.LineState(), 0x68);
  EXPECT_EQ(client.LineErrorNotices(), 1) << "a framing error";
  EXPECT_FALSE(client.SendingSuspended());
  EXPECT_EQ(client.PurgeAcknowledgements(), 1);
  EXPECT_EQ(client.State(), TelnetState::kReady);

  TelnetClient early;
  EXPECT_TRUE(early.Purge(kPurgeBoth).empty()) << "no purge before the server took the option";
}

}  // namespace
}  // namespace netport
