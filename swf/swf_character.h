#pragma once

#include <cstdint>
#include <span>

namespace swf {

// What a character is; the movie places shapes and never places bitmaps.
enum class CharacterKind : std::uint8_t { Shape = 0, Bitmap = 2 };

// Base of everything a movie can define. A character produces its complete definition tag,
// header included; `SwfMovie::addCharacter` copies those bytes, so the character may be
// destroyed as soon as it has been added.
class SwfCharacter {
 public:
  virtual ~SwfCharacter() = default;

  // The complete definition tag. The bytes stay valid until the character is changed or
  // destroyed. Empty when the character has nothing to define (an unreadable bitmap file).
  virtual std::span<const std::uint8_t> tagBytes() const = 0;

  // The byte count of the tag that tagBytes returns.
  virtual std::uint32_t tagSize() const = 0;

  CharacterKind kind() const { return m_kind; }

  // The character id the tag defines; the caller keeps ids unique within a movie.
  std::uint16_t id() const { return m_id; }

  // The depth the character is meant to be placed at (meaningful for shapes only).
  std::uint16_t depth() const { return m_depth; }

 protected:
  SwfCharacter(CharacterKind kind, std::uint16_t id, std::uint16_t depth)
      : m_kind(kind), m_id(id), m_depth(depth) {}
  SwfCharacter(const SwfCharacter&) = default;
  SwfCharacter& operator=(const SwfCharacter&) = default;
  SwfCharacter(SwfCharacter&&) = default;
  SwfCharacter& operator=(SwfCharacter&&) = default;

 private:
  CharacterKind m_kind;
  std::uint16_t m_id;
  std::uint16_t m_depth;
};

}  // namespace swf
