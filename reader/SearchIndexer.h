#pragma once
// Builds the book's search index away from the window: on a worker thread,
// whose finished index the window's thread takes over. A rebuild asked for
// while one runs starts again with the newest pages once it is done, so the
// index always ends up describing the page store as it was last handed in.
#include <QObject>
#include <functional>
#include <memory>
#include <thread>

#include "reader/core/PageStore.h"
#include "search/BookIndex.h"

namespace reader {

class SearchIndexer : public QObject {
  Q_OBJECT

 public:
  explicit SearchIndexer(QObject* parent = nullptr);
  ~SearchIndexer() override;

  // Starts building from a copy of the store; until it is done there is no
  // index (Index() is null), so no query meets an index of older pages.
  void Rebuild(const PageStore& store);
  bool Started() const { return started_; }

  // The finished index, null while building or before the first build.
  const search::BookIndex* Index() const { return index_.get(); }

  // Called on the window's thread each time an index is taken over.
  std::function<void()> ready;

 private:
  void StartWorker();
  void TakeOver(std::shared_ptr<search::BookIndex> index);

  bool started_ = false;
  bool pending_ = false;
  PageStore next_;
  std::thread worker_;
  std::unique_ptr<search::BookIndex> index_;
};

}  // namespace reader
