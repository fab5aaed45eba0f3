#include "PlotQueue.hpp"

namespace recmod {

namespace {
// A chunk is handed over when it holds this many operations, or when drawing
// has gone on for kPublishInterval since the last hand-over.
constexpr std::size_t kChunkSize = 4096;
constexpr auto kPublishInterval = std::chrono::milliseconds(8);
}  // namespace

PlotQueue::PlotQueue(float width, float height) : width_(width), height_(height) {
  StartChunk();
}

void PlotQueue::StartChunk() {
  drawing_ = Chunk();
  drawing_.reserve(kChunkSize);
}

void PlotQueue::Clear() {
  drawing_.clear();
  std::vector<std::shared_ptr<const Chunk>> dropped;
  {
    std::lock_guard lock(mutex_);
    dropped.swap(published_);
    ++publishedClears_;
  }
}

void PlotQueue::Refresh() {
  Publish();
}

// Points and segments carry their own coordinates; the position is not
// needed for drawing.
void PlotQueue::SetPosition(float /*x*/, float /*y*/) {}

void PlotQueue::PublishIfDue() {
  if (drawing_.size() >= kChunkSize ||
      std::chrono::steady_clock::now() - lastPublished_ >= kPublishInterval) {
    Publish();
  }
}

void PlotQueue::Publish() {
  lastPublished_ = std::chrono::steady_clock::now();
  if (drawing_.empty()) return;
  auto chunk = std::make_shared<const Chunk>(std::move(drawing_));
  {
    std::lock_guard lock(mutex_);
    published_.push_back(std::move(chunk));
  }
  StartChunk();
}

bool PlotQueue::TakeFresh(std::vector<std::shared_ptr<const Chunk>>& fresh) {
  bool cleared = false;
  std::lock_guard lock(mutex_);
  if (publishedClears_ != takenClears_) {
    takenClears_ = publishedClears_;
    takenChunks_ = 0;
    cleared = true;
  }
  fresh.assign(published_.begin() + static_cast<std::ptrdiff_t>(takenChunks_), published_.end());
  takenChunks_ = published_.size();
  return cleared;
}

RecordedPlot PlotQueue::Snapshot() const {
  RecordedPlot plot{width_, height_, {}};
  std::lock_guard lock(mutex_);
  for (const auto& chunk : published_) {
    plot.operations.insert(plot.operations.end(), chunk->begin(), chunk->end());
  }
  return plot;
}

}  // namespace recmod
