#include "base/pooled_tree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

namespace {

// The tree's structure: red-black colours, equal black heights, parent links, strict order
// of the tree nodes and well-formed chains of equal elements. None when sound, else the first
// broken rule.
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

struct Item {
  int key;
  int id; // insertion order
};

struct Items : PooledTree<Item> {
  std::vector<std::pair<int, int>> expected; // (key, -id): ascending keys, newest first

  explicit Items(uint32_t growth)
      : PooledTree(
            growth, [](const Item *a, const Item *b) { return a->key < b->key; },
            [](const Item *a, const Item *b) { return a->key == b->key; }, ZeroFillElement<Item>,
            CopyOrZeroElement<Item>) {}
  Item *Put(int key, int id) {
    expected.push_back({key, -id});
    Item item{key, id};
    return Insert(&item);
  }
  // The ids in tree order are those of the sorted insertions, and the shape is sound.
  void ExpectOrderAndShape() {
    std::sort(expected.begin(), expected.end());
    std::vector<int> want, ids;
    for (auto &e : expected) want.push_back(-e.second);
    for (Item *it = First(); it; it = Next()) ids.push_back(it->id);
    EXPECT_EQ(want, ids);
    EXPECT_EQ(CheckInvariants(*this), nullptr);
  }
};

// Keys in ascending order skip the descent; a key equal to the greatest, a smaller one or a
// cleared tree must still land where a descent would put them. Random keys, and ascending and
// descending runs (a rotation at nearly every insertion), keep the red-black shape.
TEST(PooledTree, InsertionsKeepTheOrderAndTheRedBlackShape) {
  Items tree(300);
  for (int round = 0; round < 2; ++round) {
    tree.Clear();
    tree.expected.clear();
    int id = 0;
    for (int k = 0; k < 1000; ++k) tree.Put(k, id++);
    tree.Put(999, id++); // equal to the greatest: chained
    tree.Put(-5, id++);
    for (int k = 1000; k < 2000; k += 2) tree.Put(k, id++);
    tree.Put(1001, id++); // between two stored keys
    for (int k = 2000; k < 2500; ++k) tree.Put(k, id++);
    Item again{2499, 99999};
    EXPECT_EQ(tree.InsertUnique(&again)->id, id - 1);
    tree.ExpectOrderAndShape();
  }
  tree.Clear();
  tree.expected.clear();
  std::mt19937 random(12345);
  for (int i = 0; i < 20000; ++i) {
    ASSERT_NE(tree.Put(static_cast<int>(random() % 3000), i), nullptr);
    if (i % 997 == 0) {
      ASSERT_EQ(CheckInvariants(tree), nullptr) << "after " << i;
    }
  }
  tree.ExpectOrderAndShape();
  tree.Clear();
  for (int i = 0; i < 5000; ++i) tree.Put(i, i), tree.Put(-i, i);
  EXPECT_EQ(CheckInvariants(tree), nullptr);
}

// Equal keys are chained newest first. Keys looked up in ascending order find what Find finds
// and leave the cursor where it does, wherever in its group the cursor was left before.
TEST(PooledTree, EqualKeysAreChainedNewestFirstAndFoundInOrder) {
  Items tree(16);
  int keys[] = {3, 1, 3, 5, 3};
  for (int i = 0; i < 5; ++i) tree.Put(keys[i], i);
  tree.ExpectOrderAndShape();
  Item three{3, 0}, missing{4, 0};
  EXPECT_EQ(tree.Find(&three)->id, 4);
  PooledTree<Item>::Node *newest = tree.cursor;
  EXPECT_EQ(tree.FindNextEqual()->id, 2);
  EXPECT_EQ(tree.FindNextEqual()->id, 0);
  EXPECT_EQ(tree.FindNextEqual(), nullptr);
  EXPECT_EQ(tree.GroupStep(newest)->id, 2); // from a kept node
  EXPECT_EQ(tree.Find(&missing), nullptr);
  EXPECT_EQ(tree.FindNextEqual(), nullptr);
  for (int steps = 0; steps < 3; ++steps) { // the cursor left on each element of 3's group
    tree.SetCursor(nullptr);
    for (int k : {0, 1, 2, 3, 5, 6}) {
      Item key{k, 0};
      Item *found = tree.FindInOrder(&key);
      PooledTree<Item>::Node *at = tree.cursor;
      EXPECT_EQ(found, tree.Find(&key)) << k;
      EXPECT_EQ(at, tree.cursor) << k;
      for (int s = 0; k == 3 && s < steps; ++s) tree.FindNextEqual();
    }
  }
  Item again{1, 9}, fresh{2, 9};
  EXPECT_EQ(tree.InsertUnique(&again)->id, 1); // the stored one; nothing added
  EXPECT_EQ(tree.count, 5u);
  EXPECT_EQ(tree.InsertUnique(&fresh)->id, 9);
  EXPECT_EQ(CheckInvariants(tree), nullptr);
}

TEST(PooledTree, PoolKeepsAddressesAndHandsOutNodesInOrder) {
  Items tree(2000);
  std::vector<Item *> stored;
  for (int i = 0; i <= 2000; ++i) stored.push_back(tree.Put((i * 7919) % 2000, i));
  EXPECT_EQ(tree.capacity, 4000u); // the 2001st took a second block
  for (int i = 0; i <= 2000; ++i) ASSERT_EQ(tree.NodeAt(i), stored[i]) << i;
  EXPECT_NE(tree.NodeAt(3999), nullptr);
  EXPECT_EQ(tree.NodeAt(4000), nullptr);
  EXPECT_EQ(tree.NodeAt(UINT32_MAX), nullptr);
  tree.Clear();
  EXPECT_EQ(tree.First(), nullptr);
  EXPECT_EQ(tree.capacity, 4000u);
  EXPECT_EQ(tree.Put(4, 99), stored[0]);
  tree.Destroy();
  EXPECT_EQ(tree.capacity, 0u);
  EXPECT_EQ(tree.NodeAt(0), nullptr);
  EXPECT_NE(tree.Put(1, 1), nullptr); // grows again on demand
}

TEST(PooledTree, NoNodeReleasesTheKeyAndALargeGroupStaysCheap) {
  Items empty(0);
  Item key{3, 9};
  EXPECT_EQ(empty.Insert(&key), nullptr);
  EXPECT_EQ(key.id, 0);
  EXPECT_EQ(empty.First(), nullptr);
  EXPECT_EQ(empty.Next(), nullptr);
  empty.Grow(1); // an owner may still pre-size it
  EXPECT_NE(empty.Put(1, 1), nullptr);
  EXPECT_EQ(empty.Put(2, 2), nullptr);

  Items tree(50000); // one project's records all fall in one group
  for (int i = 0; i < 200000; ++i) tree.Put(1, i);
  Item one{1, 0};
  EXPECT_EQ(tree.Find(&one)->id, 199999);
  EXPECT_EQ(CheckInvariants(tree), nullptr);
  tree.Clear(); // no recursion down the chain
}

} // namespace
