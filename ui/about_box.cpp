#include "about_box.h"

#include "resource_ids.h"

namespace zarneth {

CAboutBox::CAboutBox() : CDialog(res::IDD_ABOUTBOX) {}

}  // namespace zarneth
