#include "embedded_pictures.h"

namespace zarneth::res {

void EmbedPictures() {}

}  // namespace zarneth::res
