#include "file_dialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>

#include "file_filters.h"
#include "qt_window.h"

namespace zarneth::fw {

QStringList NameFilters(const std::string& filter) {
  QString text = QString::fromStdString(filter);
  text.replace(QStringLiteral("*.*"), QStringLiteral("*"));
  const QStringList parts = text.split(QLatin1Char('|'));
  QStringList filters;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i].isEmpty())
      break;
    QString description = parts[i];
    const QString patterns = QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' '));
    // Qt takes the patterns from the parentheses that end the description.
    if (!description.endsWith(QLatin1Char(')')))
      description += " (" + patterns + ")";
    filters << description;
  }
  return filters;
}

int CFileDialog::DoModal() {
  QWidget* parent = m_parent ? WidgetOf(*m_parent) : QApplication::activeWindow();
  QFileDialog dialog(parent);
  // Qt's own picker: the same on every desktop, and reachable by tests and the keyboard.
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(m_open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
  dialog.setFileMode(m_open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, (m_flags & OFN_OVERWRITEPROMPT) == 0);
  if (!m_defaultExtension.empty())
    dialog.setDefaultSuffix(QString::fromStdString(m_defaultExtension));
  if (!m_initialFolder.empty())
    dialog.setDirectory(QString::fromStdString(m_initialFolder));
  // A name with a folder starts the picker in that folder, the name selected.
  if (!m_fileName.empty())
    dialog.selectFile(QString::fromStdString(m_fileName));
  const QStringList filters = NameFilters(m_filter);
  if (!filters.isEmpty())
    dialog.setNameFilters(filters);

  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
    return IDCANCEL;
  m_pathName = dialog.selectedFiles().first().toStdString();
  return IDOK;
}

std::string CFileDialog::GetFolderPath() const {
  return QFileInfo(QString::fromStdString(m_pathName)).absolutePath().toStdString();
}

}  // namespace zarneth::fw
