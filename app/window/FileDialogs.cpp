#include "app/window/FileDialogs.h"

#include <QFile>
#include <QFileDialog>

#include "interaction/MainWindowLayout.h"
#include "resources/StringTable.h"

namespace orelith::gui {

QStringList nameFilters(FileDialogKind kind) {
  QStringList names;
  for (const FileFilter& f :
       fileFilters(kind == FileDialogKind::Open ? str::OpenFilters : str::SaveFilters)) {
    QString pattern = QString::fromStdString(f.pattern).replace(';', ' ');
    if (pattern == "*.*") pattern = "*";
    // With the details hidden the dialog shows the label alone; the pattern
    // in the last parentheses is the one it applies.
    names << QString::fromStdString(f.label) + " (" + pattern + ")";
  }
  return names;
}

FileChoice askFile(QWidget* owner, FileDialogKind kind, StringId title, int filterIndex) {
  const std::string_view text = stringText(title);
  QFileDialog dialog(owner, QString::fromUtf8(text.data(), qsizetype(text.size())));
  dialog.setObjectName(kind == FileDialogKind::Open ? "openDialog" : "saveDialog");
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  const QStringList names = nameFilters(kind);
  dialog.setNameFilters(names);
  dialog.selectNameFilter(names.value(filterIndex >= 1 ? filterIndex - 1 : 0));
  if (kind == FileDialogKind::Open) {
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
  } else {
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  // Depending on the Qt version the dialog names the filter with or without
  // its hidden pattern.
  const QString chosen = dialog.selectedNameFilter();
  qsizetype index = names.indexOf(chosen);
  for (qsizetype i = 0; index < 0 && i < names.size(); ++i)
    if (names[i].startsWith(chosen + " (")) index = i;
  return {true, QFile::encodeName(dialog.selectedFiles().constFirst()).toStdString(),
          int(index) + 1};
}

}  // namespace orelith::gui
