#include "orvane/values/brix_string.h"

#include <algorithm>
#include <vector>

#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/XMLException.hpp>
#include <xercesc/util/XMLString.hpp>
#include <xercesc/util/XMLUTF8Transcoder.hpp>
#include <xercesc/util/XMLUni.hpp>

namespace MCOrvane_600 {

namespace {

using xercesc::XMLString;

const XMLSize_t kUtf8BlockSize = 1000;
const XMLSize_t kUtf8BufferSize = 1000;

XMLSize_t Length(const XMLCh* text) { return text == nullptr ? 0 : XMLString::stringLen(text); }

// A new[] copy of `count` code units of `text`, null-terminated.
std::unique_ptr<XMLCh[]> Copy(const XMLCh* text, XMLSize_t count) {
  std::unique_ptr<XMLCh[]> copy(new XMLCh[count + 1]);
  std::copy(text, text + count, copy.get());
  copy[count] = 0;
  return copy;
}

// The narrow text in the local code page, converted by the platform; empty
// for a null text.
std::vector<XMLCh> FromLocal(const char* text) {
  std::vector<XMLCh> result;
  if (text == nullptr) return result;
  XMLCh* converted = XMLString::transcode(text);
  if (converted != nullptr) {
    result.assign(converted, converted + XMLString::stringLen(converted));
    XMLString::release(&converted);
  }
  return result;
}

}  // namespace

BrixString::BrixString() = default;

BrixString::BrixString(const XMLCh* text) { assign(text); }

BrixString::BrixString(const char* text) { assign(text); }

BrixString::BrixString(const BrixString& other) { assign(other.xc_str()); }

BrixString::~BrixString() = default;

BrixString& BrixString::assign(const BrixString& other) { return assign(other.xc_str()); }

BrixString& BrixString::assign(const XMLCh* text) {
  // Copied before the old buffer goes, as `text` may point into it.
  if (text != buffer_.get()) buffer_ = text == nullptr ? nullptr : Copy(text, Length(text));
  return *this;
}

BrixString& BrixString::assign(XMLCh c) {
  const XMLCh text[2] = {c, 0};
  return assign(text);
}

BrixString& BrixString::assign(const char* text) {
  if (text == nullptr) return clear();
  std::vector<XMLCh> converted = FromLocal(text);
  buffer_ = Copy(converted.data(), converted.size());
  return *this;
}

BrixString& BrixString::operator=(const BrixString& other) { return assign(other); }

BrixString& BrixString::operator=(const XMLCh* text) { return assign(text); }

BrixString& BrixString::operator=(const char* text) { return assign(text); }

BrixString& BrixString::append(const BrixString& other) { return append(other.xc_str()); }

BrixString& BrixString::append(const XMLCh* text) {
  const XMLSize_t added = Length(text);
  if (added == 0) return *this;
  if (empty()) return assign(text);
  const XMLSize_t old = length();
  std::unique_ptr<XMLCh[]> joined(new XMLCh[old + added + 1]);
  std::copy(buffer_.get(), buffer_.get() + old, joined.get());
  std::copy(text, text + added, joined.get() + old);
  joined[old + added] = 0;
  buffer_ = std::move(joined);
  return *this;
}

BrixString& BrixString::append(XMLCh c) {
  const XMLCh text[2] = {c, 0};
  return append(text);
}

BrixString& BrixString::append(const char* text) {
  std::vector<XMLCh> converted = FromLocal(text);
  converted.push_back(0);
  return append(converted.data());
}

const XMLCh* BrixString::xc_str() const { return buffer_.get(); }

bool BrixString::empty() const { return buffer_ == nullptr || buffer_[0] == 0; }

unsigned int BrixString::length() const { return static_cast<unsigned int>(Length(buffer_.get())); }

bool BrixString::equals(const BrixString& other) const {
  if (buffer_ == nullptr || other.buffer_ == nullptr) return false;
  return XMLString::equals(buffer_.get(), other.buffer_.get());
}

bool BrixString::operator==(const BrixString& other) const { return equals(other); }

bool BrixString::equals(const XMLCh* text) const { return XMLString::equals(buffer_.get(), text); }

BrixString& BrixString::clear() {
  buffer_.reset();
  return *this;
}

bool BrixString::ContainsString(const XMLCh* text) const {
  if (text == nullptr || buffer_ == nullptr) return false;
  const XMLSize_t own = length();
  const XMLSize_t sought = Length(text);
  if (sought > own) return false;
  for (XMLSize_t pos = 0; pos + sought <= own; ++pos) {
    if (XMLString::startsWith(buffer_.get() + pos, text)) return true;
  }
  return false;
}

unsigned int BrixString::replaceSubstring(const XMLCh* from, const XMLCh* to) {
  // The empty text would match everywhere; it is taken to match nothing.
  const XMLSize_t from_length = Length(from);
  if (from_length == 0 || !ContainsString(from)) return 0;
  const XMLSize_t own = length();
  const XMLSize_t to_length = Length(to);
  std::vector<XMLCh> result;
  result.reserve(own + 1);
  unsigned int count = 0;
  XMLSize_t pos = 0;
  while (pos < own) {
    if (XMLString::startsWith(buffer_.get() + pos, from)) {
      result.insert(result.end(), to, to + to_length);
      ++count;
      pos += from_length;
    } else {
      result.push_back(buffer_[pos]);
      ++pos;
    }
  }
  buffer_ = Copy(result.data(), result.size());
  return count;
}

void BrixString::truncateString(unsigned int n) {
  if (empty()) return;
  const unsigned int own = length();
  buffer_[n >= own ? 0 : own - n] = 0;
}

std::string BrixString::toUTF8() const {
  std::string result;
  const XMLSize_t own = length();
  if (own == 0) return result;
  xercesc::XMLUTF8Transcoder transcoder(xercesc::XMLUni::fgUTF8EncodingString, kUtf8BlockSize);
  XMLByte buffer[kUtf8BufferSize];
  XMLSize_t pos = 0;
  while (pos < own) {
    XMLSize_t eaten = 0;
    XMLSize_t produced = 0;
    try {
      produced = transcoder.transcodeTo(buffer_.get() + pos, own - pos, buffer, kUtf8BufferSize,
                                        eaten, xercesc::XMLTranscoder::UnRep_Throw);
    } catch (const xercesc::XMLException&) {
      break;
    }
    result.append(reinterpret_cast<const char*>(buffer), produced);
    if (eaten == 0) break;
    pos += eaten;
  }
  return result;
}

BrixString& BrixString::assignUTF8(const std::string& utf8) {
  clear();
  if (utf8.empty()) return *this;
  xercesc::XMLUTF8Transcoder transcoder(xercesc::XMLUni::fgUTF8EncodingString, kUtf8BlockSize);
  const XMLByte* source = reinterpret_cast<const XMLByte*>(utf8.data());
  std::vector<XMLCh> result;
  XMLCh buffer[kUtf8BufferSize];
  unsigned char sizes[kUtf8BufferSize];
  XMLSize_t pos = 0;
  while (pos < utf8.size()) {
    XMLSize_t eaten = 0;
    XMLSize_t produced = 0;
    try {
      produced = transcoder.transcodeFrom(source + pos, utf8.size() - pos, buffer, kUtf8BufferSize,
                                          eaten, sizes);
    } catch (const xercesc::XMLException&) {
      break;
    }
    result.insert(result.end(), buffer, buffer + produced);
    if (eaten == 0) break;
    pos += eaten;
  }
  if (!result.empty()) buffer_ = Copy(result.data(), result.size());
  return *this;
}

unsigned int BrixString::convertToInteger() {
  unsigned int value = 0;
  const XMLSize_t own = length();
  for (XMLSize_t pos = 0; pos < own; ++pos) {
    if (!XMLString::isDigit(buffer_[pos])) return 0;
    value = value * 10u + static_cast<unsigned int>(buffer_[pos] - '0');
  }
  return value;
}

}  // namespace MCOrvane_600
