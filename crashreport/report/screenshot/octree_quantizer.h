// Colour reduction to at most 256 colours by an octree.
//
// Each colour walks a tree of depth 8: at depth d the child index is bit
// (7 - d) of red * 4 + the same bit of green * 2 + the same bit of blue;
// nodes at depth 8 are leaves that sum the colours of their pixels. Inner
// nodes are kept in a list per depth, newest first. Whenever there are more
// than 256 leaves, the newest node of the deepest non-empty list (7 to 1) is
// reduced: its children are merged into it and it becomes a leaf. A leaf
// above depth 8 takes every later pixel that reaches it.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "crashreport/report/screenshot/bitmap_types.h"

namespace tarvex {

class OctreeQuantizer {
 public:
  static constexpr size_t kMaxColors = 256;

  OctreeQuantizer();

  void Add(Rgb color);
  // Every pixel, row by row from the top.
  void AddImage(const Bgr24View& image);

  size_t LeafCount() const { return leafCount_; }
  // The leaves in depth-first order (children 0 to 7), each the average of
  // its pixels (sums divided by the count).
  std::vector<Rgb> Palette() const;

 private:
  static constexpr int32_t kNone = -1;
  static constexpr int kDepth = 8;

  struct Node {
    uint64_t RedSum = 0;
    uint64_t GreenSum = 0;
    uint64_t BlueSum = 0;
    uint32_t Count = 0;
    bool Leaf = false;
    int32_t Next = kNone;  // the next older node of the same depth's list (or the free list)
    std::array<int32_t, 8> Children;
  };

  int32_t NewNode(int depth);
  void FreeNode(int32_t node);
  bool ReduceOne();  // false when there is nothing to reduce
  void CollectPalette(int32_t node, std::vector<Rgb>& palette) const;

  std::vector<Node> nodes_;  // nodes_[0] is the root
  std::array<int32_t, kDepth> newestAtDepth_;
  int32_t freeNodes_ = kNone;
  size_t leafCount_ = 0;
  // The leaf of the previous colour while no reduction has happened since:
  // runs of one colour skip the walk.
  int32_t lastLeaf_ = kNone;
  Rgb lastColor_;
};

}  // namespace tarvex
