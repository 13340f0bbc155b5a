#include "reader/SearchIndexer.h"

#include <QMetaObject>
#include <QPointer>

namespace reader {

SearchIndexer::SearchIndexer(QObject* parent) : QObject(parent) {}

SearchIndexer::~SearchIndexer() {
  // The worker reports to this object; it must be done before this goes.
  if (worker_.joinable()) worker_.join();
}

void SearchIndexer::Rebuild(const PageStore& store) {
  started_ = true;
  next_ = store;
  index_.reset();
  if (worker_.joinable()) {
    // Still building older pages: their index is dropped when it arrives.
    pending_ = true;
    return;
  }
  StartWorker();
}

void SearchIndexer::StartWorker() {
  pending_ = false;
  worker_ = std::thread([this, store = next_] {
    std::shared_ptr<search::BookIndex> index;
    try {
      // Two threads at lowered priority: the index is background work, and
      // the page being read and the window come first.
      index = std::make_shared<search::BookIndex>(search::IndexBook(store, {.background = true}));
    } catch (...) {
      // Out of memory on a monstrous book, or the engine unable to write
      // its index (its own errors are no std::exception): searching finds
      // nothing, and the window goes on.
      index = std::make_shared<search::BookIndex>(std::vector<search::IndexedPage>{});
    }
    QMetaObject::invokeMethod(this, [this, index] { TakeOver(index); }, Qt::QueuedConnection);
  });
}

void SearchIndexer::TakeOver(std::shared_ptr<search::BookIndex> index) {
  if (worker_.joinable()) worker_.join();
  if (pending_) {
    StartWorker();
    return;
  }
  index_ = std::make_unique<search::BookIndex>(std::move(*index));
  if (ready) ready();
}

}  // namespace reader
