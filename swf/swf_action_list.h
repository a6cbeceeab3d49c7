#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace swf {

// SWF 3 frame actions, serialised as a DoAction tag (or as bare action records for embedding
// in another structure). Every append adds one action at the end of the list.
class SwfActionList {
 public:
  // `bare`: serialise without the DoAction tag header.
  explicit SwfActionList(bool bare = false);

  void next();  // NextFrame
  void prev();  // PreviousFrame
  void play();  // Play
  void stop();  // Stop

  // GotoFrame: jumps to the 0-based `frame`.
  void gotoFrame(std::uint16_t frame);

  // GetURL: opens `url` in window or frame `target` (may be empty). Returns false, adding
  // nothing, when the two strings do not fit the 16-bit payload length.
  bool getUrl(const std::string& url, const std::string& target);

  // WaitForFrame: skips the next `skipCount` actions unless `frame` has loaded.
  void waitForFrame(std::uint16_t frame, std::uint8_t skipCount);

  // SetTarget: directs the following actions at the movie clip `name` ("" = main timeline).
  // Returns false, adding nothing, when the name does not fit the 16-bit payload length.
  bool setTarget(const std::string& name);

  // GoToLabel: jumps to the frame labelled `label`. Returns false, adding nothing, when the label
  // does not fit the 16-bit payload length.
  bool goToLabel(const std::string& label);

  // The serialised actions: unless bare, a DoAction header (3F 03, u32 length); then each action
  // record; then the end-of-actions byte 00. Serialising again gives the same bytes.
  const std::vector<std::uint8_t>& serialise();

  // The byte count of the last serialisation (0 before the first).
  std::uint32_t size() const { return static_cast<std::uint32_t>(m_output.size()); }

 private:
  // One action record: the code, and for codes from 0x80 up the payload after its length.
  struct Action {
    std::uint8_t code = 0;
    std::vector<std::uint8_t> payload;
  };

  void append(std::uint8_t code, std::vector<std::uint8_t> payload = {});
  bool appendStrings(std::uint8_t code, const std::vector<const std::string*>& strings);

  bool m_bare;
  std::vector<Action> m_actions;
  std::vector<std::uint8_t> m_output;
};

}  // namespace swf
