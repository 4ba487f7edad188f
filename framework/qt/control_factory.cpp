#include "control_factory.h"

#include "qt_window.h"

#include <QBitmap>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>

#include "backend_access.h"
#include "picture_scales.h"
#include "win_types.h"
#include "wnd.h"

namespace zarneth::fw {
namespace {

unsigned Kind(unsigned style) {
  return style & 0xFu;
}

QWidget* CreateButton(const ControlTemplate& control, QWidget* parent) {
  const QString text = QString::fromStdString(control.text);
  if (Kind(control.style) == BS_AUTOCHECKBOX)
    return new QCheckBox(text, parent);
  auto* button = new QPushButton(text, parent);
  button->setDefault(Kind(control.style) == BS_DEFPUSHBUTTON);
  return button;
}

QWidget* CreateEdit(const ControlTemplate& control, QWidget* parent) {
  auto* edit = new QLineEdit(QString::fromStdString(control.text), parent);
  edit->setAlignment((control.style & ES_RIGHT) ? Qt::AlignRight | Qt::AlignVCenter
                                                : Qt::AlignLeft | Qt::AlignVCenter);
  edit->setFrame((control.style & WS_BORDER) != 0);
  edit->setAcceptDrops(false);  // only fields that ask for them take dropped files
  return edit;
}

QWidget* CreateCombo(const ControlTemplate& control, QWidget* parent) {
  auto* combo = new QComboBox(parent);
  for (const std::string& item : control.items)
    combo->addItem(QString::fromStdString(item));
  if (control.style & CBS_SORT)
    combo->model()->sort(0);
  combo->setCurrentIndex(-1);
  return combo;
}

// The picture drawn for the window's scale where there is one ("x@2x.bmp" beside "x.bmp"),
// marked with its scale so that it shows at its template size, sharp: a picture enlarged by
// the toolkit would be blurred.
QPixmap PictureForScale(const std::string& path, qreal ratio) {
  const QString base = QString::fromStdString(path);
  const qsizetype dot = base.lastIndexOf(QLatin1Char('.'));
  for (const PictureScale& variant : kPictureScales) {
    if (ratio < variant.from || dot < 0)
      continue;
    QPixmap scaled(base.left(dot) + QLatin1String(variant.suffix) + base.mid(dot));
    if (!scaled.isNull()) {
      scaled.setDevicePixelRatio(variant.scale);
      return scaled;
    }
  }
  return QPixmap(base);
}

QLabel* CreatePicture(const ControlTemplate& control, QWidget* parent) {
  auto* label = new QLabel(parent);
  QPixmap picture;
  if (Kind(control.style) == SS_ICON) {
    const HICON icon = LoadIconResource(control.imageId);
    const int size = GetSystemMetrics(SM_CXICON);
    if (icon)
      picture = icon->icon.pixmap(QSize(size, size), parent->devicePixelRatioF());
  } else {
    picture = PictureForScale(FindPicture(control.imageId), parent->devicePixelRatioF());
    // A transparent picture shows the dialog through the pixels of its corner colour.
    if ((control.exStyle & WS_EX_TRANSPARENT) && !picture.isNull()) {
      const QColor key = picture.toImage().pixelColor(0, 0);
      QBitmap mask = picture.createMaskFromColor(key, Qt::MaskInColor);
      mask.setDevicePixelRatio(picture.devicePixelRatio());
      picture.setMask(mask);
    }
  }
  label->setPixmap(picture);
  return label;
}

QWidget* CreateStatic(const ControlTemplate& control, QWidget* parent) {
  const unsigned kind = Kind(control.style);
  if (kind == SS_ICON || kind == SS_BITMAP)
    return CreatePicture(control, parent);
  auto* label = new QLabel(QString::fromStdString(control.text), parent);
  const Qt::Alignment horizontal = kind == SS_RIGHT    ? Qt::AlignRight
                                   : kind == SS_CENTER ? Qt::AlignHCenter
                                                       : Qt::AlignLeft;
  label->setAlignment(horizontal | Qt::AlignTop);
  label->setTextFormat(Qt::PlainText);
  return label;
}

}  // namespace

QWidget* CreateControl(const ControlTemplate& control, QWidget* parent, BaseUnits units,
                       double pictureScale) {
  QWidget* widget = nullptr;
  switch (control.kind) {
    case ControlClass::Button:
      widget = CreateButton(control, parent);
      break;
    case ControlClass::Edit:
      widget = CreateEdit(control, parent);
      break;
    case ControlClass::ComboBox:
      widget = CreateCombo(control, parent);
      break;
    case ControlClass::Static:
      widget = CreateStatic(control, parent);
      break;
  }

  QRect area = DialogUnitsToPixels(control.x, control.y, control.cx, control.cy, units);
  if (auto* picture = qobject_cast<QLabel*>(widget); picture && !picture->pixmap().isNull()) {
    // Pictures keep their own size, in the window's units whatever their scale; in a dialog
    // made smaller to fit its screen they shrink with it.
    area.setSize(picture->pixmap().deviceIndependentSize().toSize());
    if (pictureScale < 1.0) {
      area.setSize(area.size() * pictureScale);
      picture->setScaledContents(true);
    }
  } else if (control.kind == ControlClass::ComboBox) {
    area.setHeight(widget->sizeHint().height());  // the template height is the dropped list's
  }
  widget->setGeometry(area);

  if (control.style & WS_TABSTOP) {
    widget->setFocusPolicy(Qt::StrongFocus);
  } else if (control.kind == ControlClass::Edit) {
    widget->setFocusPolicy(Qt::ClickFocus);
  } else {
    widget->setFocusPolicy(Qt::NoFocus);
  }
  widget->setEnabled((control.style & WS_DISABLED) == 0);
  widget->setVisible((control.style & WS_VISIBLE) != 0);
  if (control.id != IDC_STATIC)
    widget->setObjectName(QString::number(control.id));
  return widget;
}

}  // namespace zarneth::fw
