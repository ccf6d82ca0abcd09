#include "crashreport/report/screenshot/octree_quantizer.h"

namespace tarvex {

OctreeQuantizer::OctreeQuantizer() {
  newestAtDepth_.fill(kNone);
  nodes_.reserve(4 * 1024);
  NewNode(0);
}

int32_t OctreeQuantizer::NewNode(int depth) {
  int32_t node;
  if (freeNodes_ != kNone) {
    node = freeNodes_;
    freeNodes_ = nodes_[node].Next;
    nodes_[node] = Node{};
  } else {
    node = static_cast<int32_t>(nodes_.size());
    nodes_.emplace_back();
  }
  Node& created = nodes_[node];
  created.Children.fill(kNone);
  if (depth == kDepth) {
    created.Leaf = true;
    ++leafCount_;
  } else {
    created.Next = newestAtDepth_[depth];
    newestAtDepth_[depth] = node;
  }
  return node;
}

void OctreeQuantizer::FreeNode(int32_t node) {
  nodes_[node].Next = freeNodes_;
  freeNodes_ = node;
}

void OctreeQuantizer::Add(Rgb color) {
  int32_t node = 0;
  bool leafCreated = false;
  if (lastLeaf_ != kNone && color == lastColor_) {
    node = lastLeaf_;
  } else {
    for (int depth = 0; !nodes_[node].Leaf; ++depth) {
      const int shift = 7 - depth;
      const int index = ((color.Red >> shift) & 1) << 2 | ((color.Green >> shift) & 1) << 1 | ((color.Blue >> shift) & 1);
      int32_t child = nodes_[node].Children[index];
      if (child == kNone) {
        child = NewNode(depth + 1);
        nodes_[node].Children[index] = child;
        leafCreated = leafCreated || depth + 1 == kDepth;
      }
      node = child;
    }
  }
  Node& leaf = nodes_[node];
  leaf.RedSum += color.Red;
  leaf.GreenSum += color.Green;
  leaf.BlueSum += color.Blue;
  ++leaf.Count;
  lastLeaf_ = node;
  lastColor_ = color;
  if (!leafCreated) return;
  while (leafCount_ > kMaxColors && ReduceOne()) lastLeaf_ = kNone;
}

bool OctreeQuantizer::ReduceOne() {
  int depth = kDepth - 1;
  while (depth > 0 && newestAtDepth_[depth] == kNone) --depth;
  const int32_t node = newestAtDepth_[depth];
  if (node == kNone) return false;
  newestAtDepth_[depth] = nodes_[node].Next;
  // Every deeper list is empty, so each child is a leaf.
  size_t children = 0;
  for (int32_t& child : nodes_[node].Children) {
    if (child == kNone) continue;
    const Node& merged = nodes_[child];
    nodes_[node].RedSum += merged.RedSum;
    nodes_[node].GreenSum += merged.GreenSum;
    nodes_[node].BlueSum += merged.BlueSum;
    nodes_[node].Count += merged.Count;
    FreeNode(child);
    child = kNone;
    ++children;
  }
  nodes_[node].Leaf = true;
  nodes_[node].Next = kNone;
  leafCount_ = leafCount_ + 1 - children;
  return true;
}

void OctreeQuantizer::AddImage(const Bgr24View& image) {
  for (uint32_t y = 0; y < image.Height; ++y) {
    const uint8_t* pixel = image.Row(y);
    for (uint32_t x = 0; x < image.Width; ++x, pixel += 3) Add(Rgb{pixel[2], pixel[1], pixel[0]});
  }
}

std::vector<Rgb> OctreeQuantizer::Palette() const {
  std::vector<Rgb> palette;
  palette.reserve(leafCount_);
  CollectPalette(0, palette);
  return palette;
}

void OctreeQuantizer::CollectPalette(int32_t node, std::vector<Rgb>& palette) const {
  const Node& at = nodes_[node];
  if (at.Leaf) {
    palette.push_back(Rgb{static_cast<uint8_t>(at.RedSum / at.Count), static_cast<uint8_t>(at.GreenSum / at.Count),
                          static_cast<uint8_t>(at.BlueSum / at.Count)});
    return;
  }
  for (const int32_t child : at.Children)
    if (child != kNone) CollectPalette(child, palette);
}

}  // namespace tarvex
