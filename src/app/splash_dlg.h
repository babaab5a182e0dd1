#pragma once

// The splash window shown while the program starts, and again, taller, as the About box: the
// artwork with the version and the maker's line under it; the About box adds the licence and the
// credits of what the program is built on (the soundfont, the fonts).

#include <QDialog>
#include <QFont>
#include <QPixmap>
#include <QString>
#include <QStringList>

namespace lyrovox {

class CSplashDlg final : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kWidth = 578;
  static constexpr int kHeight = 294;
  static constexpr int kAboutHeight = 500;

  // aboutMode: the About box, which a click closes.
  explicit CSplashDlg(bool aboutMode = false, QWidget* parent = nullptr);

  void SetStatusText(const QString& text);
  const QString& StatusText() const { return status_; }
  bool AboutMode() const { return aboutMode_; }

  static QString VersionLine();
  static QString MakerLine();
  // The About box's paragraphs under the artwork: the licence, then the credits.
  static QStringList AboutParagraphs();

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
