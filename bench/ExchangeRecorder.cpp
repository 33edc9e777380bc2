#include "ExchangeRecorder.h"

#include "protocol/FrameFormat.h"

namespace {

constexpr int StartExchangeCode = 16;
constexpr int EndFrameType = 11;
constexpr int ConnectAnswerType = 20;

bool FrameStart(uint8_t byte) { return byte == FrameFormat::RequestHead0 || byte == FrameFormat::CommandHead0; }

}  // namespace

void ExchangeRecorder::PcBytes(const uint8_t* data, size_t count, int64_t readNs) {
  for (size_t i = 0; i < count; ++i) {
    if (pcFrame_.empty()) {
      if (!FrameStart(data[i])) {
        ++stray_;
        if (running_) ++running_->PcBytes;
        continue;
      }
      pcFrameStartNs_ = readNs;
      if (awaitingReplySinceNs_) {
        if (running_)
          running_->Replies.push_back({awaitingType_, static_cast<double>(readNs - *awaitingReplySinceNs_)});
        awaitingReplySinceNs_.reset();
      }
    }
    pcFrame_.push_back(data[i]);
    if (pcFrame_.size() >= 3 && pcFrame_.size() >= pcFrame_[2]) PcFrameComplete();
  }
}

void ExchangeRecorder::PcFrameComplete() {
  using namespace FrameFormat;
  const bool request = pcFrame_[0] == RequestHead0 && pcFrame_[1] == RequestHead1;
  const bool command = pcFrame_[0] == CommandHead0 && pcFrame_[1] == CommandHead1;
  if (!request && !command) stray_ += static_cast<int>(pcFrame_.size());
  if (request && pcFrame_.size() == RequestLength && pcFrame_[3] == StartExchangeCode) {
    running_ = ExchangeFigures{};
    running_->StartNs = pcFrameStartNs_;
  }
  if (running_) running_->PcBytes += static_cast<int64_t>(pcFrame_.size());
  pcFrame_.clear();
}

void ExchangeRecorder::ControllerFrame(const uint8_t* frame, size_t length, int64_t writtenNs, int64_t dueNs) {
  const int type = length > 3 ? frame[3] : 0;
  if (running_) {
    running_->ControllerBytes += static_cast<int64_t>(length);
    running_->ControllerLateNs += writtenNs - dueNs;
  }
  if (type == EndFrameType) {
    awaitingReplySinceNs_.reset();
    if (running_) {
      running_->EndNs = writtenNs;
      done_.push_back(*running_);
      running_.reset();
    }
    return;
  }
  // Every block but the end frame and the connection answer gets an answer at once.
  if (type != ConnectAnswerType) {
    awaitingType_ = type;
    awaitingReplySinceNs_ = writtenNs;
  }
}
