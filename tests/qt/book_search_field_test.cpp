// The book search field headless: a query typed before there is an index
// asks for one and says it is indexing (never "nothing found"), the list
// comes as soon as the index does, and the keys move through it, choose and
// close it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <initializer_list>

#include "reader/BookSearchField.h"
#include "reader/SearchIndexer.h"
#include "reader/core/Base64.h"
#include "reader/core/Cp1251.h"

namespace {

// QTest types ASCII only; a key press carrying its text is what a
// keyboard with a Russian layout sends.
void Type(QWidget& widget, const QString& text) {
  for (const QChar c : text) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
    QApplication::sendEvent(&widget, &press);
  }
}

// The field where the window places it, with its indexer, over a book of
// the given pages.
struct SearchWindow {
  QWidget window;
  reader::SearchIndexer indexer;
  reader::BookSearchField field{indexer, window};
  reader::PageStore store;
  QEventLoop loop;

  explicit SearchWindow(std::initializer_list<const char*> pages) {
    window.resize(1195, 639);
    field.setGeometry(853, 16, 330, 33);
    window.show();
    int slot = 0;
    for (const char* page : pages) store.SetSlot(++slot, reader::BytesToBase64(reader::Utf8ToCp1251(page)));
    indexer.ready = [this] {
      field.IndexReady();
      loop.quit();
    };
  }

  void WaitForIndex() {
    // A guard against a build that never ends, not a wait for a timer.
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    loop.exec();
  }
};

TEST(BookSearchFieldTest, AQueryBeforeTheIndexWaitsForItThenTheKeysChoose) {
  SearchWindow w{"<p>Глиняные таблички Месопотамии</p>", "<p>Глиняные сосуды и таблички из глины</p>"};
  reader::BookSearchField& field = w.field;
  int wanted = 0;
  field.indexWanted = [&] {
    ++wanted;
    w.indexer.Rebuild(w.store);
  };
  std::vector<int> chosen;
  QString match;
  field.chosen = [&](int slot, const QString& text) {
    chosen.push_back(slot);
    match = text;
  };

  field.setFocus();
  Type(field, QStringLiteral("глиняные"));
  EXPECT_EQ(field.Rows(), QStringList{QStringLiteral("Indexing\u2026")});
  EXPECT_EQ(wanted, 1) << "the index was asked for once";
  w.WaitForIndex();
  ASSERT_NE(w.indexer.Index(), nullptr);

  const QStringList rows = field.Rows();
  ASSERT_EQ(rows.size(), 2) << rows.join(QLatin1Char('|')).toStdString();
  EXPECT_EQ(field.CurrentRow(), 0);
  const int second = rows[1].contains(QStringLiteral("page 2")) ? 2 : 1;
  EXPECT_TRUE(rows[1].contains(QStringLiteral("page %1").arg(second)));
  EXPECT_TRUE(rows[0].contains(QStringLiteral("page %1").arg(3 - second)));
  QTest::keyClick(&field, Qt::Key_Down);
  QTest::keyClick(&field, Qt::Key_Down);  // stays on the last row
  EXPECT_EQ(field.CurrentRow(), 1);
  QTest::keyClick(&field, Qt::Key_Up);
  QTest::keyClick(&field, Qt::Key_Down);
  QTest::keyClick(&field, Qt::Key_Return);
  EXPECT_EQ(chosen, std::vector<int>{second});
  EXPECT_EQ(match, QStringLiteral("Глиняные"));
  EXPECT_FALSE(field.ListShown());

  field.clear();
  Type(field, QStringLiteral("синхрофазотрон "));
  EXPECT_EQ(field.Rows(), QStringList{QStringLiteral("Nothing found")});
  QTest::keyClick(&field, Qt::Key_Escape);
  EXPECT_FALSE(field.ListShown());
  EXPECT_EQ(chosen.size(), 1u) << "Enter on a message chooses nothing";
}

// An index that arrives while the list is closed prepares the list's rows
// off screen; what it drew there must leave no text behind for a screen
// reader, and the first list must show the hits, not the rehearsal.
TEST(BookSearchFieldTest, AnIndexReadyBeforeAnyQueryLeavesTheListEmptyUntilTheFirstHits) {
  SearchWindow w{"<p>Глиняные таблички Месопотамии</p>"};
  w.indexer.Rebuild(w.store);
  w.WaitForIndex();
  ASSERT_NE(w.indexer.Index(), nullptr);

  const QWidget* list = w.window.findChild<QWidget*>(QStringLiteral("BookSearchList"));
  ASSERT_NE(list, nullptr);
  EXPECT_FALSE(list->isVisible());
  for (const QLabel* row : list->findChildren<QLabel*>())
    EXPECT_TRUE(row->text().isEmpty()) << row->text().left(40).toStdString();

  w.field.setFocus();
  Type(w.field, QStringLiteral("таблички "));
  const QStringList rows = w.field.Rows();
  ASSERT_EQ(rows.size(), 1) << rows.join(QLatin1Char('|')).toStdString();
  EXPECT_TRUE(rows[0].contains(QStringLiteral("page 1")));
  EXPECT_TRUE(rows[0].contains(QStringLiteral("Глиняные"))) << rows[0].toStdString();
}

}  // namespace
