#include "app/file_dialogs.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QRegularExpression>
#include <QWidget>
#include <algorithm>

namespace lyrovox {

namespace {

QWidget* OwnerWidget(QObject* owner) {
  return qobject_cast<QWidget*>(owner);
}

QString CaseInsensitivePattern(const QString& pattern) {
  QString out;
  for (const QChar c : pattern) {
    if (c.isLetter() && c.toLower() != c.toUpper()) {
      out += QLatin1Char('[') + c.toLower() + c.toUpper() + QLatin1Char(']');
    } else {
      out += c;
    }
  }
  return out;
}

const QRegularExpression& PatternSeparators() {
  static const QRegularExpression separators(QStringLiteral("[ ;]"));
  return separators;
}

// The patterns of a filter, lower-cased, each once and sorted: filters that name the same files
// compare equal.
QStringList PatternSet(const QString& patterns) {
  QStringList set = patterns.toLower().split(PatternSeparators(), Qt::SkipEmptyParts);
  set.sort();
  set.removeDuplicates();
  return set;
}

QString PatternsInside(const QString& filter) {
  const qsizetype open = filter.lastIndexOf(u'(');
  const qsizetype close = filter.lastIndexOf(u')');
  if (open < 0 || close < open) return {};
  return filter.mid(open + 1, close - open - 1);
}

bool IsPattern(const QString& initialName) {
  return initialName.contains(u'*') || initialName.contains(u'?');
}

// Qt's own dialog: its filters take the bracket patterns the same way on every desktop, and the
// patterns themselves are not shown. An initial name that is a pattern ("*.mpg;*.vob") is what
// the dialog shows first: the filter naming the same files, else a filter of its own put first.
void Configure(QFileDialog& dialog, const FileDialogRequest& request) {
  dialog.setWindowTitle(request.title);
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  dialog.setOption(QFileDialog::HideNameFilterDetails, true);
  QStringList filters = request.filters;
  qsizetype first = 0;
  if (IsPattern(request.initialName)) {
    const QStringList wanted = PatternSet(request.initialName);
    first = std::find_if(filters.begin(), filters.end(),
                         [&wanted](const QString& filter) {
                           return PatternSet(PatternsInside(filter)) == wanted;
                         }) -
            filters.begin();
    if (first == filters.size()) {
      QStringList patterns = request.initialName.split(PatternSeparators(), Qt::SkipEmptyParts);
      patterns.removeDuplicates();
      filters.prepend(kInitialPatternFilterName + QStringLiteral(" (") + patterns.join(u' ') +
                      QLatin1Char(')'));
      first = 0;
    }
  }
  QStringList shown;
  for (const QString& filter : filters)
    shown << CaseInsensitiveFilter(filter);
  dialog.setNameFilters(shown);
  if (first < shown.size()) dialog.selectNameFilter(shown[first]);
  if (!request.initialName.isEmpty() && !IsPattern(request.initialName)) {
    dialog.selectFile(request.initialName);
  }
}

}  // namespace

QString CaseInsensitiveFilter(const QString& filter) {
  const qsizetype open = filter.lastIndexOf(u'(');
  const qsizetype close = filter.lastIndexOf(u')');
  if (open < 0 || close < open) return filter;
  QStringList patterns;
  for (const QString& pattern :
       PatternsInside(filter).split(PatternSeparators(), Qt::SkipEmptyParts))
    patterns << CaseInsensitivePattern(pattern);
  return filter.left(open + 1) + patterns.join(u' ') + filter.mid(close);
}

QStringList QtFileDialogs::OpenFiles(const FileDialogRequest& request) {
  QFileDialog dialog(OwnerWidget(request.owner));
  Configure(dialog, request);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(request.multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
  if (dialog.exec() != QDialog::Accepted) return {};
  return dialog.selectedFiles();
}

QString QtFileDialogs::SaveFile(const FileDialogRequest& request) {
  QFileDialog dialog(OwnerWidget(request.owner));
  Configure(dialog, request);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().front();
}

QString QtFileDialogs::ChooseFolder(const QString& title, QObject* owner) {
  return QFileDialog::getExistingDirectory(
      OwnerWidget(owner), title, QString(),
      QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
}

std::optional<uint32_t> QtFileDialogs::ChooseColor(uint32_t initial, QObject* owner) {
  // Colours are kept as 0x00BBGGRR.
  const QColor start(initial & 0xFF, (initial >> 8) & 0xFF, (initial >> 16) & 0xFF);
  const QColor chosen = QColorDialog::getColor(start, OwnerWidget(owner));
  if (!chosen.isValid()) return std::nullopt;
  return static_cast<uint32_t>(chosen.red()) | (static_cast<uint32_t>(chosen.green()) << 8) |
         (static_cast<uint32_t>(chosen.blue()) << 16);
}

}  // namespace lyrovox
