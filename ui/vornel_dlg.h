#pragma once
// The main dialog: its handlers, written against WindowServices.

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "storage/settings.h"
#include "storage/working_folders.h"
#include "ui/dialog_state.h"
#include "ui/progress.h"
#include "ui/window_services.h"

// The dialog's own commands and results: the ids its template gives the Exit button and the
// close command.
inline constexpr int kDialogOk = 1;         // IDOK
inline constexpr int kDialogCancelled = 2;  // IDCANCEL

class CVornelDlg {
 public:
  CVornelDlg(WindowServices& window, FolderState& folders, SettingsState& settings,
             ConversionState& conversion);

  // The dialog's initialisation; always true. May end the dialog (a batch run, or a start
  // without memory for its steps, which ends as a refused batch input does).
  bool OnInitDialog();
  // Routes a notification of control `id` through the message map; false when no entry
  // matches. A handler that runs out of memory ends with the out-of-memory message: no
  // exception leaves.
  bool OnCommand(int id, Notification notification);

  void OnBnClickedVersion();
  void OnEnChangeBinary();
  void OnBnClickedAutoProcessing();
  void OnBnClickedMessages();
  void OnBnClickedConvert();
  void OnBnClickedExit();
  void OnBnClickedConvertFile();
  void OnBnClickedCancel();
  void OnBnClickedSave();
  void OnBnClickedBrowse();
  void OnBnClickedReadFile();
  void OnEnChangeBrowseFile();
  // A close request (the taskbar's Close, Alt+F4, another program): ends an idle dialog as
  // cancelled, without Exit's steps (no settings written, the hand-off folder left as it is);
  // does nothing while a file conversion runs, whose own Cancel button stops it.
  void OnCancel();

  // Progress display: with throttling off every step is shown as it comes (tests);
  // with it on the display is updated only when what it shows changes.
  void SetProgressThrottling(bool on) { throttle_ = on; }
  // The clock of the progress display (tests step time with it).
  void SetProgressClock(ProgressClock clock) { progressClock_ = std::move(clock); }
  // How long a batch run waits for another one on the same hand-off folder (tests shorten it).
  void SetBatchLockWait(std::chrono::milliseconds wait) { batchLockWait_ = wait; }
  // Where the dialog looks up the Documents folder (the user's own by default).
  void SetDocumentsLookup(std::function<std::u16string()> lookup) {
    documentsFolder_ = std::move(lookup);
  }

 private:
  enum class RunOutcome { kCompleted, kCancelled, kLimitExceeded, kOutOfMemory };

  // The start-up steps of OnInitDialog; throws std::bad_alloc when memory runs out.
  void StartUp();
  // The batch run of a start whose hand-off folder exists: runs the hand-off on the working
  // folders, shows its outcome behind the message gate and ends the dialog with -1. Throws
  // std::bad_alloc when memory runs out outside the run (which has ended then, its lock and
  // its file beside the result gone).
  void RunBatch();
  // Ends a start that ran out of memory as a refused batch input: the message behind the
  // gate, the idle controls, the end with -1.
  void RefuseStartWithoutMemory();
  // A file conversion's run on the text read last.
  void ConvertLoadedText();
  // The splitting, the limit check and the conversion of a file conversion's run.
  RunOutcome SplitCheckAndConvert(ProgressDisplay& progress);
  void RestoreIdleControls();
  void LoadSettings();
  void SaveSettings();

  WindowServices& window_;
  FolderState& folders_;
  SettingsState& settings_;
  ConversionState& conversion_;
  std::function<std::u16string()> documentsFolder_;
  bool throttle_ = true;
  ProgressClock progressClock_;
  bool converting_ = false;  // a file conversion's run is under way
  std::chrono::milliseconds batchLockWait_;
};
