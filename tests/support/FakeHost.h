// A view host for the frame tests: a plain top-level window for the frame to live in, and a
// record of everything the frame tells its host. Commands run as a window runs them: a command
// runs only while it is enabled, its group's refresh runs first, and the keys of the default
// shortcuts are taken from the window's widgets.
#pragma once

#include <QKeySequence>
#include <QStringList>
#include <QWidget>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "views/ViewHost.h"

namespace testsupport {

class TFakeHost : public QObject, public views::TViewHost {
 public:
  struct TCommandState {
    THandler Handler;
    bool Enabled = true;
    QString Caption;
    QKeySequence Shortcut;
  };
  struct TProgress {
    bool Visible = false;
    int Value = 0, Maximum = 0;
    QString Text;
  };

  TFakeHost();
  ~TFakeHost() override;

  // Runs a command as its menu item would: the group refresh first, then the handler when the
  // command is enabled and bound. False when nothing ran.
  bool Trigger(views::TCommandId command);
  // A click on a view switch: nothing while the switches are held.
  void ClickSwitch(views::TViewKind view);
  // As the group's menu opens.
  void OpenGroup(views::TCommandGroup group);

  // ---- views::TViewHost --------------------------------------------------------------------
  void Bind(views::TCommandId command, THandler handler) override { State(command).Handler = std::move(handler); }
  void SetEnabled(views::TCommandId command, bool enabled) override { State(command).Enabled = enabled; }
  bool IsEnabled(views::TCommandId command) const override { return State(command).Enabled; }
  void SetCaption(views::TCommandId command, const QString& caption) override { State(command).Caption = caption; }
  QString Caption(views::TCommandId command) const override { return State(command).Caption; }
  void SetShortcut(views::TCommandId command, const QKeySequence& key) override { State(command).Shortcut = key; }
  void SetGroupEnabled(views::TCommandGroup group, bool enabled) override {
    GroupEnabled[static_cast<std::size_t>(group)] = enabled;
  }
  void SetGroupRefresh(views::TCommandGroup group, THandler refresh) override {
    GroupRefresh[static_cast<std::size_t>(group)] = std::move(refresh);
  }
  views::TViewOptions Options() const override { return ViewOptions; }
  void SetShowDiffsOnly(bool on) override { ViewOptions.ShowDiffsOnly = on; }
  void SetStacked(bool on) override { ViewOptions.Stacked = on; }
  views::TViewColors Colors() const override { return ViewColors; }
  std::filesystem::path Folder(compare::TSide side) const override { return Folders[side]; }
  void SetFolder(compare::TSide side, const std::filesystem::path& folder) override { Folders[side] = folder; }
  std::filesystem::path StateFolder() const override { return StateDir; }
  void ShowCounts(const TCompareCounts& counts) override { Counts = counts; }
  void ShowNote(const QString& text) override { Note = text; }
  void ShowStatus(const QString& text) override { Status = text; }
  void ShowProgress(int value, int maximum, const QString& text) override;
  void HideProgress() override { Progress = TProgress{}; }
  void SwitchTo(views::TViewKind view) override;
  void HoldViewSwitches(bool held) override { SwitchesHeld = held; }
  void CompareSources(std::array<views::TSourceText, compare::SideCount> texts) override;
  void Raise() override { ++Raised; }
  void ShowError(const std::exception& error) override { Errors << QString::fromStdString(error.what()); }
  void ShowInformation(const QString& text) override { Infos << text; }
  bool AskYesNo(const QString& text) override {
    Questions << text;
    return Answer;
  }
  // Records the question; answers with the next of SaveAnswers, else Discard for Answer and
  // Cancel otherwise.
  views::TEditsChoice AskSaveEdits(const QString& text) override;
  bool AskChoice(const QString& text, const QString& first, const QString&) override {
    Questions << text;
    Choices << first;
    return Answer;
  }
  QWidget* DialogParent() override { return &Window; }

  // ---- What the frame set and told ----------------------------------------------------------
  QWidget Window;
  std::array<TCommandState, views::CommandIdCount> Commands;  // by TCommandId::Index()
  std::array<bool, views::CommandGroupCount> GroupEnabled{};
  std::array<THandler, views::CommandGroupCount> GroupRefresh;
  views::TViewOptions ViewOptions;
  views::TViewColors ViewColors;
  std::array<std::filesystem::path, compare::SideCount> Folders;
  std::filesystem::path StateDir;
  TCompareCounts Counts;
  QString Note, Status;
  TProgress Progress;
  std::function<void(const TProgress&)> OnProgress;  // told at every ShowProgress
  views::TViewKind View = views::TViewKind::Libraries;
  bool SwitchesHeld = false;
  // Runs when a view is switched to, so that the test can activate the frame's view as the
  // window does.
  std::function<void(views::TViewKind)> OnSwitch;
  std::array<views::TSourceText, compare::SideCount> Sources;  // the last texts handed over
  std::function<void(const std::array<views::TSourceText, compare::SideCount>&)> OnCompareSources;
  QStringList Errors, Infos, Questions;
  QStringList Choices;  // the first button of every AskChoice
  bool Answer = true;
  std::vector<views::TEditsChoice> SaveAnswers;  // taken from the front, one per AskSaveEdits
  int Raised = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  TCommandState& State(views::TCommandId c) { return Commands[static_cast<std::size_t>(c.Index())]; }
  const TCommandState& State(views::TCommandId c) const { return Commands[static_cast<std::size_t>(c.Index())]; }
};

}  // namespace testsupport
