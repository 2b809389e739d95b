// The line batching of the OpenGL and WebGL sinks: a level's lines collected in
// one buffer, in the coordinate type the API takes, and handed to the sink's
// draw function in one go when the level is flushed, or earlier when a colour
// change or a clear must come after them. A level larger than the buffer is
// drawn in buffer-sized parts. Without a buffer (never reserved, or its
// allocation failed) the batch uses the fallback its sink gave it, or, with
// none, takes no lines: the sink then draws them one by one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace morv {

// Where the line buffer comes from; tests make it fail.
struct LineBufferAllocator {
  void* (*allocate)(std::size_t bytes);  // nullptr when out of memory
  void (*release)(void* buffer);
};

inline const LineBufferAllocator& DefaultLineBufferAllocator() {
  static const LineBufferAllocator allocator = {
      [](std::size_t bytes) { return std::malloc(bytes); }, [](void* buffer) { std::free(buffer); }};
  return allocator;
}

template <typename Coordinate>
class LineBatch {
 public:
  // The largest buffer Reserve takes, in lines; bigger levels are drawn in
  // parts of this size (32 MiB of doubles, 16 MiB of floats).
  static constexpr std::int64_t MaxReservedLines = std::int64_t{1} << 20;
  static constexpr int CoordinatesPerLine = 4;  // x1 y1 x2 y2

  using DrawLines = void (*)(const Coordinate* vertices, std::int64_t lines);

  LineBatch(DrawLines draw, const LineBufferAllocator& allocator, Coordinate* fallback = nullptr,
            std::int64_t fallbackLines = 0)
      : draw_(draw), allocator_(allocator), fallback_(fallback), fallbackLines_(fallbackLines),
        vertices_(fallback), capacity_(fallbackLines), pending_(0) {}
  ~LineBatch() { Release(); }
  LineBatch(const LineBatch&) = delete;
  LineBatch& operator=(const LineBatch&) = delete;

  // Draws what is held, then sizes the buffer for `lines` lines (capped at
  // MaxReservedLines); a count the fallback holds, or <= 0, takes no memory.
  // False when the memory cannot be had: the fallback serves then.
  bool Reserve(std::int64_t lines) {
    Draw();
    Release();
    if (lines <= fallbackLines_) return true;
    if (lines > MaxReservedLines) lines = MaxReservedLines;
    const std::size_t bytes = static_cast<std::size_t>(lines) * CoordinatesPerLine * sizeof(Coordinate);
    void* memory = allocator_.allocate(bytes);
    if (memory == nullptr) return false;
    vertices_ = static_cast<Coordinate*>(memory);
    capacity_ = lines;
    return true;
  }

  // Frees the buffer and forgets what it held, drawing nothing: the surface
  // may be gone already.
  void Release() {
    if (vertices_ != fallback_) allocator_.release(vertices_);
    vertices_ = fallback_;
    capacity_ = fallbackLines_;
    pending_ = 0;
  }

  // Takes one line, as the API's coordinate type makes of the doubles; false
  // when there is no buffer at all, for the sink to draw it alone.
  bool Add(double x1, double y1, double x2, double y2) {
    if (capacity_ == 0) return false;
    if (pending_ == capacity_) Draw();
    Coordinate* v = vertices_ + pending_ * CoordinatesPerLine;
    v[0] = static_cast<Coordinate>(x1);
    v[1] = static_cast<Coordinate>(y1);
    v[2] = static_cast<Coordinate>(x2);
    v[3] = static_cast<Coordinate>(y2);
    ++pending_;
    return true;
  }

  // Hands what is held to the draw function.
  void Draw() {
    if (pending_ == 0) return;
    draw_(vertices_, pending_);
    pending_ = 0;
  }

  std::int64_t Capacity() const { return capacity_; }
  const Coordinate* Buffer() const { return vertices_; }
  std::int64_t Pending() const { return pending_; }

 private:
  DrawLines draw_;
  LineBufferAllocator allocator_;
  Coordinate* fallback_;
  std::int64_t fallbackLines_;
  Coordinate* vertices_;
  std::int64_t capacity_;  // in lines
  std::int64_t pending_;   // lines held, not yet drawn
};

}  // namespace morv
