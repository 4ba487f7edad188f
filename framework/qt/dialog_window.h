#pragma once

#include <QDialog>
#include <QMenu>
#include <QTimer>
#include <map>
#include <vector>

#include "resource_registry.h"

namespace zarneth::fw {

class CDialog;

// The Qt window behind a running CDialog: builds the template's controls, forwards their
// notifications, keys, paint and the window menu to the CDialog.
class DialogWindow : public QDialog {
 public:
  DialogWindow(CDialog& owner, const DialogTemplate& dialogTemplate, QWidget* parent);

  QWidget* Control(int id) const;
  void FocusFirstTabStop();
  void DefaultPaint(QPaintEvent* event) { QDialog::paintEvent(event); }
  // Shows the window menu, built from its entries each time it opens.
  void PopupSystemMenu(const QPoint& globalPosition);
  void SetTimer(unsigned id, unsigned milliseconds);
  void KillTimer(unsigned id);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void reject() override;
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void Connect(int id, QWidget* widget);

  CDialog& m_owner;
  std::map<int, QWidget*> m_controls;
  std::vector<QWidget*> m_tabOrder;
  QMenu* m_windowMenu = nullptr;
  std::map<unsigned, QTimer*> m_timers;
};

}  // namespace zarneth::fw
