#include "publish/frame_queue.h"

namespace publish {

void FrameQueue::Push(std::string payload) {
  if (capacity_ == 0) {
    ++dropped_;
    return;
  }
  if (frames_.size() >= capacity_) {
    frames_.pop_front();
    ++dropped_;
  }
  frames_.push_back(std::move(payload));
}

}  // namespace publish
