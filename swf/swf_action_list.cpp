#include "swf/swf_action_list.h"

#include <limits>
#include <utility>

#include "support/byte_io.h"
#include "swf/swf_constants.h"
#include "swf/tag_header.h"

namespace swf {

SwfActionList::SwfActionList(bool bare) : m_bare(bare) {}

void SwfActionList::next() { append(kActionNextFrame); }

void SwfActionList::prev() { append(kActionPreviousFrame); }

void SwfActionList::play() { append(kActionPlay); }

void SwfActionList::stop() { append(kActionStop); }

void SwfActionList::gotoFrame(std::uint16_t frame) {
  std::vector<std::uint8_t> payload;
  support::appendLe16(payload, frame);
  append(kActionGotoFrame, std::move(payload));
}

bool SwfActionList::getUrl(const std::string& url, const std::string& target) {
  return appendStrings(kActionGetUrl, {&url, &target});
}

void SwfActionList::waitForFrame(std::uint16_t frame, std::uint8_t skipCount) {
  std::vector<std::uint8_t> payload;
  support::appendLe16(payload, frame);
  payload.push_back(skipCount);
  append(kActionWaitForFrame, std::move(payload));
}

bool SwfActionList::setTarget(const std::string& name) {
  return appendStrings(kActionSetTarget, {&name});
}

bool SwfActionList::goToLabel(const std::string& label) {
  return appendStrings(kActionGoToLabel, {&label});
}

void SwfActionList::append(std::uint8_t code, std::vector<std::uint8_t> payload) {
  m_actions.push_back({code, std::move(payload)});
}

// Each string is stored with a terminating zero byte.
bool SwfActionList::appendStrings(std::uint8_t code,
                                  const std::vector<const std::string*>& strings) {
  std::size_t length = 0;
  for (const std::string* text : strings) length += text->size() + 1;
  if (length > std::numeric_limits<std::uint16_t>::max()) return false;
  std::vector<std::uint8_t> payload;
  payload.reserve(length);
  for (const std::string* text : strings) {
    payload.insert(payload.end(), text->begin(), text->end());
    payload.push_back(0);
  }
  append(code, std::move(payload));
  return true;
}

// DoAction tag (code 12, long header):
//   per action: u8 code [, u16 payload length, payload]   (payload only for codes >= 0x80)
//   u8 0 (end of actions)
const std::vector<std::uint8_t>& SwfActionList::serialise() {
  std::vector<std::uint8_t> records;
  for (const Action& action : m_actions) {
    records.push_back(action.code);
    if (action.code < kActionHasPayload) continue;
    support::appendLe16(records, static_cast<std::uint16_t>(action.payload.size()));
    support::appendBytes(records, action.payload);
  }
  records.push_back(kActionEnd);

  m_output.clear();
  if (m_bare) {
    m_output = std::move(records);
  } else {
    appendTag(m_output, TagCode::DoAction, records);
  }
  return m_output;
}

}  // namespace swf
