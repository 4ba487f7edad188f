#include "resource_registry.h"
#include "backend_access.h"

#include <map>

namespace zarneth::fw {
namespace {

struct Registry {
  std::map<int, DialogTemplate> templates;
  std::map<int, std::string> strings;
  std::map<int, std::string> pictures;
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

template <class Map>
const typename Map::mapped_type* Find(const Map& map, int id) {
  const auto it = map.find(id);
  return it == map.end() ? nullptr : &it->second;
}

}  // namespace

void RegisterDialogTemplate(DialogTemplate dialogTemplate) {
  const int id = dialogTemplate.id;
  TheRegistry().templates.insert_or_assign(id, std::move(dialogTemplate));
}

const DialogTemplate* FindDialogTemplate(int id) {
  return Find(TheRegistry().templates, id);
}

void RegisterString(int id, std::string text) {
  TheRegistry().strings.insert_or_assign(id, std::move(text));
}

std::string LoadString(int id) {
  const std::string* text = Find(TheRegistry().strings, id);
  return text ? *text : std::string();
}

void RegisterPicture(int id, std::string path) {
  TheRegistry().pictures.insert_or_assign(id, std::move(path));
}

std::string FindPicture(int id) {
  const std::string* path = Find(TheRegistry().pictures, id);
  return path ? *path : std::string();
}

}  // namespace zarneth::fw
