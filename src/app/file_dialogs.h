#pragma once

// The common dialogs over Qt's file and colour dialogs. File name filters match whatever the
// case of the names ("*.kar" also shows "SONG.KAR"), as users of karaoke files expect. A dialog
// whose initial name is a pattern ("*.mpg;*.vob") opens showing the files it names.

#include "controller/ports.h"

namespace lyrovox {

// The filter a dialog opens with when its initial pattern is none of its filters'.
inline const QString kInitialPatternFilterName = QStringLiteral("All supported files");

class QtFileDialogs final : public IFileDialogs {
 public:
  QStringList OpenFiles(const FileDialogRequest& request) override;
  QString SaveFile(const FileDialogRequest& request) override;
  QString ChooseFolder(const QString& title, QObject* owner) override;
  std::optional<uint32_t> ChooseColor(uint32_t initial, QObject* owner) override;
};

// "Karaoke Files (*.kar *.mid)" as "Karaoke Files (*.[kK][aA][rR] *.[mM][iI][dD])": every
// letter of a pattern matched in either case.
QString CaseInsensitiveFilter(const QString& filter);

}  // namespace lyrovox
