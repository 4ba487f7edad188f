#pragma once

namespace zarneth::res {

// Makes the dialog's pictures reachable where the backend looks for them: on Linux the Qt
// resources compiled into this library (:/pictures/...), which a static library's linker
// would otherwise leave out; on Windows they are resources of zarneth.exe already.
void EmbedPictures();

}  // namespace zarneth::res
