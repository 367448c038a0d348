#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>

#include "search/FindReplace.h"

using search::FindForm;
using search::ReplaceForm;
using search::ReplacePromptPlace;
using search::SetDialogOwner;
using search::ShowFindDialog;
using search::ShowReplaceDialog;
using search::ShowReplacePrompt;
using search::TSearchOptions;
using search::rcAll;
using search::rcCancel;
using search::rcReplace;
using search::rcSkip;

// Runs `act` once the next modal dialog is open (the show routines block in exec()).
static void WhenOpen(std::function<void()> act) {
  QTimer::singleShot(0, [act] {
    QTRY_VERIFY(QApplication::activeModalWidget() != nullptr);
    act();
  });
}

class FindReplaceTest : public QObject {
  Q_OBJECT
  QWidget* main_ = nullptr;

 private slots:
  void initTestCase() {
    main_ = new QWidget;
    main_->setGeometry(100, 100, 645, 329);
    main_->show();
    SetDialogOwner(main_);
  }

  void findDialogStartsEmptyAndDisabled() {
    TSearchOptions options;
    WhenOpen([] {
      QCOMPARE(FindForm->windowTitle(), QString("Find text"));
      QVERIFY(!FindForm->btnReplaceOne->isEnabled());
      QCOMPARE(FindForm->btnReplaceOne->text(), QString("&OK"));
      QVERIFY(FindForm->btnReplaceAll->isHidden());
      QVERIFY(FindForm->edReplace->isHidden());
      QVERIFY(FindForm->cbPrompt->isHidden());
      QCOMPARE(FindForm->gbOptions->geometry(), QRect(15, 41, 148, 65));
      QCOMPARE(FindForm->rbBackward->pos(), QPoint(12, 39));
      QCOMPARE(FindForm->btnCancel->pos(), QPoint(156, 119));
      QCOMPARE(FindForm->OuterSize(), QSize(304, 182));
      // Typing enables OK; the text stays for the next showing even though we cancel.
      QTest::keyClicks(FindForm->edFind, "needle");
      QVERIFY(FindForm->btnReplaceOne->isEnabled());
      FindForm->btnCancel->click();
    });
    QVERIFY(!ShowFindDialog(main_, options));
    QVERIFY(options.FindText.isEmpty());
    QVERIFY(!options.Forward);

    WhenOpen([] {
      QCOMPARE(FindForm->edFind->text(), QString("needle"));
      QCOMPARE(FindForm->edFind->selectedText(), QString("needle"));
      FindForm->cbCaseSensitive->setChecked(true);
      FindForm->rbBackward->setChecked(true);
      FindForm->btnReplaceOne->click();
    });
    QVERIFY(ShowFindDialog(main_, options));
    QCOMPARE(options.FindText, QString("needle"));
    QVERIFY(!options.IgnoreCase);
    QVERIFY(!options.Forward);
    QVERIFY(!options.Prompt);  // not the find dialog's business
  }

  void dialogCentresOverItsOwner() {
    TSearchOptions options;
    options.FindText = "x";
    WhenOpen([this] {
      QRect owner = main_->frameGeometry();
      QCOMPARE(FindForm->pos(), QPoint(owner.left() + (owner.width() - 304) / 2, owner.top() + (owner.height() - 182) / 2));
      FindForm->reject();
    });
    QVERIFY(!ShowFindDialog(main_, options));
  }

  void replaceDialogLayoutAndResults() {
    TSearchOptions options;
    options.FindText = "needle";
    options.ReplaceText = "never shown";
    WhenOpen([] {
      QCOMPARE(FindForm->windowTitle(), QString("Replace text"));
      QCOMPARE(FindForm->btnReplaceOne->text(), QString("Replace &One"));
      QCOMPARE(FindForm->btnReplaceOne->pos(), QPoint(15, 165));
      QVERIFY(!FindForm->btnReplaceAll->isHidden());
      QCOMPARE(FindForm->gbDirection->geometry(), QRect(176, 72, 102, 84));
      QCOMPARE(FindForm->rbForward->pos(), QPoint(12, 26));
      QVERIFY(FindForm->edReplace->text().isEmpty());  // not filled from the options
      QVERIFY(FindForm->cbPrompt->isChecked());
      QTest::keyClicks(FindForm->edReplace, "pin");
      FindForm->btnReplaceAll->click();
    });
    QVERIFY(ShowReplaceDialog(main_, options));
    QCOMPARE(options.ReplaceText, QString("pin"));
    QVERIFY(options.ReplaceAll);
    QVERIFY(options.Prompt);
    QVERIFY(FindForm->FLastReplaceAll);

    // Esc cancels and leaves the record as it was, but the dialog keeps what was typed.
    WhenOpen([] {
      QCOMPARE(FindForm->edReplace->text(), QString("pin"));
      FindForm->edReplace->setText("other");
      QTest::keyClick(FindForm, Qt::Key_Escape);
    });
    QVERIFY(!ShowReplaceDialog(main_, options));
    QCOMPARE(options.ReplaceText, QString("pin"));

    WhenOpen([] {
      QCOMPARE(FindForm->edReplace->text(), QString("other"));
      FindForm->btnReplaceOne->click();
    });
    QVERIFY(ShowReplaceDialog(main_, options));
    QVERIFY(!options.ReplaceAll);
    QVERIFY(!FindForm->FLastReplaceAll);
  }

  void promptOffersSkipAndAllOnlyAfterReplaceAll() {
    QVERIFY(FindForm);
    FindForm->FLastReplaceAll = false;
    WhenOpen([] {
      QCOMPARE(ReplaceForm->windowTitle(), QString("Replace ..."));
      QVERIFY(!ReplaceForm->btnSkip->isEnabled());
      QVERIFY(!ReplaceForm->btnAll->isEnabled());
      QCOMPARE(ReplaceForm->edFindText->text(), FindForm->edFind->text());
      QVERIFY(ReplaceForm->edFindText->isReadOnly());
      ReplaceForm->btnOK->click();
    });
    QCOMPARE(ShowReplacePrompt(main_, QPoint(10, 200)), rcReplace);

    FindForm->FLastReplaceAll = true;
    WhenOpen([] {
      QVERIFY(ReplaceForm->btnSkip->isEnabled());
      ReplaceForm->btnSkip->click();
    });
    QCOMPARE(ShowReplacePrompt(main_, QPoint(10, 200)), rcSkip);
    WhenOpen([] { ReplaceForm->btnAll->click(); });
    QCOMPARE(ShowReplacePrompt(main_, QPoint(10, 200)), rcAll);
    WhenOpen([] { ReplaceForm->reject(); });
    QCOMPARE(ShowReplacePrompt(main_, QPoint(10, 200)), rcCancel);
    QCOMPARE(ShowReplacePrompt(nullptr, QPoint()), rcCancel);
  }

  void promptPlacement_data() {
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<QPoint>("place");
    const QSize prompt(313, 126);
    QTest::newRow("room above") << QPoint(100, 500) << QPoint(100, 500 - 126 - 8);
    QTest::newRow("top of the screen") << QPoint(100, 100) << QPoint(100, 130);
    QTest::newRow("exactly no room") << QPoint(100, 134) << QPoint(100, 164);
    QTest::newRow("right edge") << QPoint(900, 500) << QPoint(1024 - 313 - 4, 366);
  }
  void promptPlacement() {
    QFETCH(QPoint, point);
    QFETCH(QPoint, place);
    QCOMPARE(ReplacePromptPlace(point, QSize(313, 126), 1024), place);
  }

  void cleanupTestCase() {
    delete main_;
    FindForm = nullptr;
    ReplaceForm = nullptr;
  }
};

QTEST_MAIN(FindReplaceTest)
#include "FindReplaceTest.moc"
