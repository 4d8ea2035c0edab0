// Structural check of a PooledTree for tests: red-black colours, equal black heights,
// parent links, strict order of the tree nodes and well-formed chains of equal elements.
#pragma once

#include <cstdint>
#include <vector>

#include "base/pooled_tree.h"

// Returns none when the tree is sound, else the first broken rule.
template <typename E> const char *CheckInvariants(const PooledTree<E> &tree) {
  using Node = typename PooledTree<E>::Node;
  const Node *nil = &tree.sentinel;
  if (nil->colour != 0 || nil->left != nil || nil->right != nil || nil->nextEqual != nil ||
      nil->lastEqual != nil || nil->parent)
    return "sentinel was written";
  if (tree.root == nil) return tree.count == 0 ? nullptr : "empty tree with a count";
  if (tree.root->parent != nullptr) return "root has a parent";
  if (tree.root->colour != 0) return "red root";

  struct Frame {
    const Node *node;
    const Node *low;  // nearest ancestor the node must follow
    const Node *high; // nearest ancestor the node must precede
    uint32_t blacks;  // black nodes above
  };
  std::vector<Frame> stack{{tree.root, nullptr, nullptr, 0}};
  int64_t blackHeight = -1;
  uint64_t seen = 0;
  while (!stack.empty()) {
    Frame f = stack.back();
    stack.pop_back();
    if (f.node == nil) {
      if (blackHeight < 0) blackHeight = f.blacks;
      if (blackHeight != f.blacks) return "black heights differ";
      continue;
    }
    const Node *n = f.node;
    if (n->colour > 1) return "colour out of range";
    if (n->colour == 1 && (n->left->colour == 1 || n->right->colour == 1))
      return "red node with red child";
    if (n->left != nil && n->left->parent != n) return "left child's parent link";
    if (n->right != nil && n->right->parent != n) return "right child's parent link";
    if (f.low && !tree.less(&f.low->element, &n->element))
      return "order: node not after its lower bound";
    if (f.high && !tree.less(&n->element, &f.high->element))
      return "order: node not before its upper bound";
    ++seen;
    const Node *previous = n;
    for (const Node *c = n->nextEqual; c != nil; previous = c, c = c->nextEqual) {
      if (c->parent != previous) return "chain node's parent is not the node before it";
      if (c->left != nil || c->right != nil) return "chain node has children";
      if (!tree.equal(&n->element, &c->element)) return "chain node not equal to its head";
      if (++seen > tree.count) return "more nodes than count";
    }
    if (n->lastEqual != previous) return "group's newest link is not the chain's end";
    uint32_t blacks = f.blacks + (n->colour == 0 ? 1 : 0);
    stack.push_back({n->left, f.low, n, blacks});
    stack.push_back({n->right, n, f.high, blacks});
  }
  return seen == tree.count ? nullptr : "node count differs from count";
}
