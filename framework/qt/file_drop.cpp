#include "file_drop.h"

#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QUrl>

namespace zarneth::fw {
namespace {

// The local path of the first dropped file, or an empty text when the drop holds none.
QString DroppedPath(const QMimeData* data) {
  if (!data || !data->hasUrls() || data->urls().isEmpty() || !data->urls().first().isLocalFile())
    return {};
  return data->urls().first().toLocalFile();
}

class FileDropFilter : public QObject {
 public:
  explicit FileDropFilter(QLineEdit* edit) : QObject(edit), m_edit(edit) { setObjectName(kName); }
  // Found by name: without a meta-object of its own, a cast could not tell it from the
  // edit field's other children.
  static constexpr const char* kName = "zarneth-file-drop";

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    switch (event->type()) {
      case QEvent::DragEnter:
      case QEvent::DragMove: {
        auto* drag = static_cast<QDropEvent*>(event);
        if (DroppedPath(drag->mimeData()).isEmpty())
          drag->ignore();
        else
          drag->acceptProposedAction();
        return true;
      }
      case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const QString path = DroppedPath(drop->mimeData());
        if (!path.isEmpty()) {
          m_edit->setText(path);
          drop->acceptProposedAction();
        }
        return true;
      }
      default:
        return false;
    }
  }

 private:
  QLineEdit* m_edit;
};

}  // namespace

void AcceptFileDrops(QWidget* edit, bool accept) {
  auto* line = qobject_cast<QLineEdit*>(edit);
  if (!line)
    return;
  delete line->findChild<QObject*>(FileDropFilter::kName, Qt::FindDirectChildrenOnly);
  line->setAcceptDrops(accept);
  if (accept)
    line->installEventFilter(new FileDropFilter(line));
}

}  // namespace zarneth::fw
