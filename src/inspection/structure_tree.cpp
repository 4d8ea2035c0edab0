// The structure viewer's tree walked as a whole, without a window (orvalis-cli tree).
#include <algorithm>
#include <cwctype>
#include <set>
#include <string>
#include <vector>

#include "inspection/bento_constants.h"
#include "inspection/media_file_parser.h"
#include "inspection/structure_view.h"

namespace {

// The tree control sorts an item among its siblings by text, without regard to case.
bool LabelLess(const ViewItem &a, const ViewItem &b) {
  for (uint32_t i = 0; i < kViewLabelChars; ++i) {
    const wint_t x = std::towlower(static_cast<wint_t>(a.label[i]));
    const wint_t y = std::towlower(static_cast<wint_t>(b.label[i]));
    if (x != y) return x < y;
    if (x == 0) return false;
  }
  return false;
}

// Items still to give at one depth: the property items of an object, or the objects under
// a reference property. Kept on an explicit stack, so that a long chain of references needs
// no deep recursion.
struct Frame {
  uint32_t depth;
  std::vector<ViewItem> items;
  std::vector<uint32_t> objectIds; // beside items for objects; empty for properties
  bool expand;                     // properties: follow their references
  size_t next = 0;
};

} // namespace

void WalkStructureTree(MediaFileParser &parser, NameDictionary *names, uint32_t maxDepth,
                       TreeItemSink sink, void *context) {
  std::set<uint32_t> expanded;
  std::vector<Frame> stack;
  ViewItem item;
  if (!MakeObjectItem(parser, CM_StdObjID_TOC, &item)) return;
  stack.push_back(Frame{0, {item}, {CM_StdObjID_TOC}, false});
  std::vector<uint32_t> objects;
  while (!stack.empty()) {
    Frame &frame = stack.back();
    if (frame.next >= frame.items.size()) {
      stack.pop_back();
      continue;
    }
    const size_t k = frame.next++;
    const uint32_t depth = frame.depth;
    if (!sink(context, depth, frame.items[k])) return;
    if (depth >= maxDepth) continue;
    if (!frame.objectIds.empty()) {
      const uint32_t objectId = frame.objectIds[k];
      // The first appearance of an object follows its references; later ones only list.
      const bool expand = expanded.insert(objectId).second;
      Frame properties{depth + 1, {}, {}, expand};
      MakePropertyItems(parser, names, objectId, &properties.items);
      stack.push_back(std::move(properties)); // frame is not used after this
      continue;
    }
    if (!frame.expand) continue;
    const int32_t entry = frame.items[k].entry;
    objects.clear();
    ReferencedObjects(parser, entry, &objects);
    Frame children{depth + 1, {}, {}, false};
    std::vector<std::pair<ViewItem, uint32_t>> found;
    for (uint32_t objectId : objects) {
      if (MakeObjectItem(parser, objectId, &item)) found.emplace_back(item, objectId);
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const auto &a, const auto &b) { return LabelLess(a.first, b.first); });
    for (const auto &[objectItem, objectId] : found) {
      children.items.push_back(objectItem);
      children.objectIds.push_back(objectId);
    }
    if (!children.items.empty()) stack.push_back(std::move(children));
  }
}
