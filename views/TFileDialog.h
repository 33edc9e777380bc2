#pragma once
// The program's file dialogs: "Öffnen" and "Speichern unter.." for plant
// files, and the choice of a folder for the CSV export; Qt's own file dialog
// (with Qt's German texts), which leaves nothing of itself on the screen once
// closed, and which the tests can drive on Windows (under wine) as on Linux.
// It starts in the user's documents folder.
#include <QFileDialog>
#include <utility>
#include <vector>

class QCompleter;

class TFileDialog : public QFileDialog {
public:
  enum class Chooses { PlantFile, Folder };
  TFileDialog(QWidget* owner, AcceptMode mode, Chooses what = Chooses::PlantFile);

  // Runs the dialog; the chosen file or folder, or an empty text when the user cancelled.
  QString Choose();

protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

private:
  // The file name completions with the fields they complete. A completion
  // reads folders in the background and opens its list when a folder has been
  // read; bound to its field only while the dialog is shown, it cannot open
  // the list after the dialog has closed (over the main window, where the
  // list would take the next click).
  std::vector<std::pair<QCompleter*, QWidget*>> completions_;
};
