// Ordered container of plain records: a red-black tree whose nodes come from a pool of
// large blocks. Elements with equal keys are all kept: the first one sits in the tree and
// every later one hangs behind the previous one in a chain, so a group is visited newest
// first and equal keys never cost a rebalancing. A stored element never moves until the
// tree is cleared, so callers may keep its address. Nodes are handed out in pool index
// order, so the k-th element inserted into a tree that was never cleared lies in pool
// node k - 1 (see NodeAt).
//
// The element's behaviour is given by four plain functions, so one implementation serves
// records of any size and addresses of records alike. Allocation failures are not
// reported: Grow leaves the pool as it was and Insert returns none.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <type_traits>

// Release and copy functions that suit most plain records.
template <typename E> void ZeroFillElement(E *element) {
  std::memset(element, 0, sizeof *element);
}
template <typename E> void CopyOrZeroElement(E *destination, const E *source) {
  if (source != nullptr)
    *destination = *source;
  else
    ZeroFillElement(destination);
}

template <typename E> struct PooledTree {
  static_assert(std::is_trivially_copyable_v<E>, "elements are plain records");

  struct Node {
    Node *left;
    Node *right;
    Node *nextEqual;
    Node *lastEqual; // in a tree node: the end of its chain (itself when alone)
    Node *parent;    // none for the root; the previous chain node for a chained node
    uint32_t colour; // 1 red, 0 black
    E element;
  };

  struct Block {
    uint32_t firstIndex;
    uint32_t lastIndex;
    Block *previous;
    Block *next;
    Node *nodes; // zero-filled array of lastIndex - firstIndex + 1 nodes
  };

  using LessFunction = bool (*)(const E *key, const E *stored);
  using EqualFunction = bool (*)(const E *key, const E *stored);
  using ReleaseFunction = void (*)(E *element);
  using CopyFunction = void (*)(E *destination, const E *source); // no source: zero-fill

  uint32_t capacity = 0;
  uint32_t count = 0;
  uint32_t growth;
  Block *currentBlock = nullptr; // block of the last node handed out
  Block *lookupBlock = nullptr;  // block where NodeAt last found a node
  Block *firstBlock = nullptr;
  Node sentinel; // every missing child; the empty tree
  Node *root;
  Node *cursor;
  Node *greatest; // the last tree node in order; keys arriving in order hang from it directly
  LessFunction less;
  EqualFunction equal;
  ReleaseFunction release;
  CopyFunction copy;

  PooledTree(uint32_t growthNodes, LessFunction lessFn, EqualFunction equalFn,
             ReleaseFunction releaseFn, CopyFunction copyFn)
      : growth(growthNodes), less(lessFn), equal(equalFn), release(releaseFn), copy(copyFn) {
    sentinel.left = &sentinel;
    sentinel.right = &sentinel;
    sentinel.nextEqual = &sentinel;
    sentinel.lastEqual = &sentinel;
    sentinel.parent = nullptr;
    sentinel.colour = 0;
    copy(&sentinel.element, nullptr);
    root = &sentinel;
    cursor = &sentinel;
    greatest = &sentinel;
  }
  ~PooledTree() { Destroy(); }
  PooledTree(const PooledTree &) = delete; // nodes point at the sentinel inside the tree
  PooledTree &operator=(const PooledTree &) = delete;

  // Adds a block of n zero-filled nodes.
  void Grow(uint32_t n) {
    if (n == 0 || n > UINT32_MAX - capacity) return;
    Node *nodes = static_cast<Node *>(std::calloc(n, sizeof(Node)));
    if (firstBlock == nullptr) {
      firstBlock = static_cast<Block *>(std::calloc(1, sizeof(Block)));
      if (firstBlock == nullptr) {
        std::free(nodes);
        return;
      }
    }
    Block *block = firstBlock;
    if (firstBlock->nodes != nullptr) {
      if (nodes == nullptr) return;
      Block *last = firstBlock;
      while (last->next != nullptr) last = last->next;
      block = static_cast<Block *>(std::calloc(1, sizeof(Block)));
      if (block == nullptr) {
        std::free(nodes);
        return;
      }
      block->firstIndex = last->lastIndex + 1;
      block->previous = last;
      last->next = block;
    } else {
      // A first block whose array could not be had is kept and filled by the next Grow.
      block->firstIndex = 0;
    }
    block->lastIndex = block->firstIndex + (n - 1);
    block->nodes = nodes;
    if (nodes == nullptr) return;
    capacity += n;
    currentBlock = block;
  }

  // Stores a copy of key; equal keys are chained behind the stored ones. Returns the
  // stored element, or none (after releasing key) when no node could be had.
  E *Insert(E *key) { return Place(key, false); }

  // As Insert, but when an equal element is stored already, returns it and stores nothing.
  E *InsertUnique(E *key) { return Place(key, true); }

  // Newest stored element equal to key, or none; the cursor stays on it (a miss leaves
  // no cursor, so FindNextEqual then finds nothing).
  E *Find(const E *key) {
    Node *parent;
    bool goLeft;
    Node *head = Descend(key, &parent, &goLeft);
    return SetCursor(head != nullptr ? ChainEnd(head) : nullptr);
  }

  // Find for keys looked up in ascending order: the group after the cursor's is most often
  // the key's, which one comparison confirms instead of a descent from the root.
  E *FindInOrder(const E *key) {
    Node *c = cursor;
    if (c != &sentinel) {
      while (c->parent != nullptr && c->parent->nextEqual == c) c = c->parent; // group's oldest
      SetCursor(c);
      E *next = Next();
      if (next != nullptr && equal(key, next)) return next;
    }
    return Find(key);
  }

  // Next older element equal to the cursor's, or none (the cursor is the oldest of its
  // group and stays there).
  E *FindNextEqual() {
    if (cursor == &sentinel) return nullptr;
    Node *parent = cursor->parent;
    if (parent == nullptr || parent->nextEqual != cursor) return nullptr;
    return SetCursor(parent);
  }

  // Walks a group from a node kept by the caller: sets the cursor there and returns its
  // element; FindNextEqual then steps to the older ones.
  E *SetCursor(Node *node) {
    cursor = node != nullptr ? node : &sentinel;
    return cursor == &sentinel ? nullptr : &cursor->element;
  }

  // The element after node in its group (the next older equal one), or none; the cursor
  // moves there.
  E *GroupStep(Node *node) {
    SetCursor(node);
    return FindNextEqual();
  }

  E *First() {
    Node *n = root;
    if (n == &sentinel) return SetCursor(nullptr);
    while (n->left != &sentinel) n = n->left;
    return SetCursor(ChainEnd(n));
  }

  // In-order successor of the cursor, each group of equal keys newest first: the older
  // elements of the cursor's group, then the newest element of the next group. The shape
  // of the tree says where that is, so a step calls no element function.
  E *Next() {
    Node *c = cursor;
    if (c == &sentinel) return nullptr;
    if (c->parent != nullptr && c->parent->nextEqual == c) return SetCursor(c->parent);
    if (c->right != &sentinel) {
      Node *n = c->right;
      while (n->left != &sentinel) n = n->left;
      return SetCursor(ChainEnd(n));
    }
    Node *p = c->parent;
    while (p != nullptr && c == p->right) {
      c = p;
      p = p->parent;
    }
    return SetCursor(p != nullptr ? ChainEnd(p) : nullptr);
  }

  // Releases every element and empties the tree; the blocks stay for reuse. The handed-out
  // nodes are exactly pool nodes 0 to count - 1, so they are visited in pool order, which
  // needs no recursion however long a chain grows.
  void Clear() {
    uint32_t remaining = count;
    for (Block *b = firstBlock; b != nullptr && remaining > 0; b = b->next) {
      if (b->nodes == nullptr) break;
      uint32_t size = b->lastIndex - b->firstIndex + 1;
      for (uint32_t i = 0; i < size && remaining > 0; ++i, --remaining) {
        Node *n = &b->nodes[i];
        release(&n->element);
        n->left = n->right = n->nextEqual = n->lastEqual = n->parent = nullptr;
        n->colour = 0;
      }
    }
    count = 0;
    root = &sentinel;
    cursor = &sentinel;
    greatest = &sentinel;
  }

  // Clear, then free every block from the last back to the first.
  void Destroy() {
    Clear();
    Block *last = firstBlock;
    while (last != nullptr && last->next != nullptr) last = last->next;
    while (last != nullptr) {
      Block *previous = last->previous;
      std::free(last->nodes);
      std::free(last);
      last = previous;
    }
    capacity = 0;
    firstBlock = currentBlock = lookupBlock = nullptr;
  }

  // Element of pool node i, or none when i is not below capacity.
  E *NodeAt(uint32_t i) {
    if (i >= capacity) return nullptr;
    Block *b = lookupBlock;
    if (b == nullptr || i < b->firstIndex || i > b->lastIndex) {
      for (b = firstBlock; b != nullptr && b->lastIndex < i; b = b->next) {
      }
      if (b == nullptr || b->nodes == nullptr) return nullptr;
      lookupBlock = b;
    }
    return &b->nodes[i - b->firstIndex].element;
  }

private:
  // The newest element of a tree node's group. Kept in the node so that a large group
  // (every record of one project) costs no walk per insertion or look-up.
  Node *ChainEnd(Node *n) { return n->lastEqual; }

  // Pool node of index count: from the current block when it holds it, else from the
  // block that does, growing the pool when every node is taken.
  Node *TakeNode() {
    Block *b = currentBlock;
    if (b != nullptr && count >= b->firstIndex && count <= b->lastIndex)
      return &b->nodes[count - b->firstIndex];
    if (count >= capacity) {
      Grow(growth);
      if (count >= capacity) return nullptr;
    }
    for (b = firstBlock; b != nullptr && b->lastIndex < count; b = b->next) {
    }
    if (b == nullptr || b->nodes == nullptr) return nullptr;
    currentBlock = b;
    return &b->nodes[count - b->firstIndex];
  }

  // Finds the tree node equal to key, or none; then *parent and *goLeft tell where a new
  // node would hang. Only less is called on the way down: the last node where the walk
  // turned right is the greatest one not after key, so one equal at the end decides.
  Node *Descend(const E *key, Node **parent, bool *goLeft) {
    Node *candidate = nullptr;
    *parent = nullptr;
    *goLeft = false;
    for (Node *n = root; n != &sentinel;) {
      *parent = n;
      *goLeft = less(key, &n->element);
      if (*goLeft) {
        n = n->left;
      } else {
        candidate = n;
        n = n->right;
      }
    }
    return candidate != nullptr && equal(key, &candidate->element) ? candidate : nullptr;
  }

  E *Place(E *key, bool unique) {
    Node *parent = greatest;
    bool goLeft = false;
    Node *head = nullptr; // the key's group when there is one
    // Tables are mostly written in key order: a key after every stored one needs no descent.
    if (greatest == &sentinel || !less(&greatest->element, key))
      head = Descend(key, &parent, &goLeft);
    if (head != nullptr) {
      if (unique) return &head->element;
      parent = ChainEnd(head);
    }
    Node *node = TakeNode();
    if (node == nullptr) {
      release(key);
      return nullptr;
    }
    copy(&node->element, key);
    node->parent = parent;
    node->left = node->right = node->nextEqual = &sentinel;
    node->lastEqual = node;
    node->colour = 1;
    ++count;
    if (head != nullptr) {
      parent->nextEqual = node;
      head->lastEqual = node;
      return &node->element;
    }
    if (parent == nullptr) {
      root = node;
      greatest = node;
    } else if (goLeft) {
      parent->left = node;
    } else {
      parent->right = node;
      if (parent == greatest) greatest = node;
    }
    Rebalance(node);
    return &node->element;
  }

  void RotateLeft(Node *x) {
    Node *y = x->right;
    x->right = y->left;
    if (y->left != &sentinel) y->left->parent = x;
    Replace(x, y);
    y->left = x;
    x->parent = y;
  }

  void RotateRight(Node *x) {
    Node *y = x->left;
    x->left = y->right;
    if (y->right != &sentinel) y->right->parent = x;
    Replace(x, y);
    y->right = x;
    x->parent = y;
  }

  // Puts y where x hangs from its parent.
  void Replace(Node *x, Node *y) {
    y->parent = x->parent;
    if (x->parent == nullptr)
      root = y;
    else if (x == x->parent->left)
      x->parent->left = y;
    else
      x->parent->right = y;
  }

  // Standard red-black insertion repair; the sentinel is never written.
  void Rebalance(Node *node) {
    while (node != root && node->parent->colour == 1) {
      Node *parent = node->parent;
      Node *grand = parent->parent; // a red parent is never the root
      bool parentIsLeft = parent == grand->left;
      Node *uncle = parentIsLeft ? grand->right : grand->left;
      if (uncle->colour == 1) {
        parent->colour = 0;
        uncle->colour = 0;
        grand->colour = 1;
        node = grand;
        continue;
      }
      if (parentIsLeft && node == parent->right) {
        node = parent;
        RotateLeft(node);
      } else if (!parentIsLeft && node == parent->left) {
        node = parent;
        RotateRight(node);
      }
      node->parent->colour = 0;
      grand->colour = 1;
      if (parentIsLeft)
        RotateRight(grand);
      else
        RotateLeft(grand);
    }
    root->colour = 0;
  }
};
