#pragma once

// What the setup sheet's pages share: the values they edit are plain fields, put into the
// controls the first time the page is shown and taken back from them when the sheet's OK is
// pressed. A page never shown keeps the values it was given.

#include <QWidget>

class QComboBox;

namespace lyrovox {

class SetupPage : public QWidget {
  Q_OBJECT

 public:
  explicit SetupPage(QWidget* parent = nullptr) : QWidget(parent) {}

  bool opened() const { return opened_; }
  // Takes the controls' values into the fields (only once the page was shown). False when a value
  // is refused: the page has said why, and the sheet must stay open on it.
  bool SaveValues() { return !opened_ || TakeControls(); }

 protected:
  // The fields into the controls.
  virtual void OnInitDialog() = 0;
  virtual bool TakeControls() = 0;
  void showEvent(QShowEvent* event) override;

 private:
  bool opened_ = false;
};

// Sets a fixed list's selection; none when the index is not one of its items (a hand-edited
// profile).
void SelectIndex(QComboBox* box, int index);
// A fixed list's selection, or `kept` when nothing is selected.
int SelectedIndex(const QComboBox* box, int kept);

}  // namespace lyrovox
