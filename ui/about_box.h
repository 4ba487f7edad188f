#pragma once

#include "dialog.h"

namespace zarneth {

// The About box: template 100 with the icon, the version line and a credit line.
class CAboutBox : public fw::CDialog {
 public:
  CAboutBox();
};

}  // namespace zarneth
