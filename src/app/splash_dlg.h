#pragma once

// The splash window shown while the program starts, and again as the About box: the artwork
// with the version and the maker's line under it.

#include <QDialog>
#include <QFont>
#include <QPixmap>
#include <QString>

namespace lyrovox {

class CSplashDlg final : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kWidth = 578;
  static constexpr int kHeight = 294;

  // aboutMode: the About box, which a click closes.
  explicit CSplashDlg(bool aboutMode = false, QWidget* parent = nullptr);

  void SetStatusText(const QString& text);
  const QString& StatusText() const { return status_; }
  bool AboutMode() const { return aboutMode_; }

  static QString VersionLine();
  static QString MakerLine();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  bool aboutMode_;
  QFont font_;
  QPixmap artwork_;
  QString status_;
};

}  // namespace lyrovox
