#include "monitor/link_health.h"

#include <algorithm>
#include <cstdio>

#include "monitor/frame_decode.h"

namespace monitor {

namespace {
constexpr double kWindowMs = 1000.0;
}  // namespace

void LinkHealth::Add(const LineEntry& entry) {
  switch (entry.kind) {
    case EntryKind::kOpened:
      *this = LinkHealth{};
      break;
    case EntryKind::kLost:
      lost_ = true;
      break;
    case EntryKind::kTimeout:
      ++timeouts_;
      timedOutLast_ = true;
      break;
    case EntryKind::kReply:
      // Only an answer counts: stray bytes, a cut reply or a frame out of
      // step are not the sensor answering.
      if (!IsAnswer(entry)) break;
      timedOutLast_ = false;
      lastResponseMs_ = entry.responseMs;
      replyTimesMs_.push_back(entry.timeMs);
      while (replyTimesMs_.front() <= entry.timeMs - kWindowMs) replyTimesMs_.pop_front();
      break;
    default:
      break;
  }
}

LinkHealthView LinkHealth::At(double nowMs) const {
  LinkHealthView view;
  // Replies after now - 1 s; the times are in order.
  const auto from = std::upper_bound(replyTimesMs_.begin(), replyTimesMs_.end(), nowMs - kWindowMs);
  const long replies = replyTimesMs_.end() - from;
  view.repliesPerSecond = static_cast<double>(replies) * (1000.0 / kWindowMs);
  view.lastResponseMs = lastResponseMs_;
  view.timeouts = timeouts_;
  if (lost_) {
    view.colour = LinkColour::kRed;
    view.state = view.text = "port lost";
    return view;
  }
  const char* state = "idle";
  if (timedOutLast_) {
    view.colour = LinkColour::kRed;
    state = "time-outs";
  } else if (replies > 0) {
    view.colour = LinkColour::kGreen;
    state = "replies arriving";
  }
  view.state = state;
  char response[48] = "no response yet";
  if (lastResponseMs_ >= 0) {
    std::snprintf(response, sizeof response, "last response %.1f ms", lastResponseMs_);
  }
  char text[160];
  std::snprintf(text, sizeof text, "%s, %.1f replies/s, %s, %d %s", state, view.repliesPerSecond,
                response, timeouts_, timeouts_ == 1 ? "time-out" : "time-outs");
  view.text = text;
  return view;
}

}  // namespace monitor
