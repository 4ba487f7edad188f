#include "embedded_pictures.h"

// rcc's initialiser of the pictures (pictures.qrc, named "pictures"), declared here as rcc
// defines it, so that no Qt header is needed.
int qInitResources_pictures();

namespace zarneth::res {

void EmbedPictures() {
  static const int registered = qInitResources_pictures();
  static_cast<void>(registered);
}

}  // namespace zarneth::res
