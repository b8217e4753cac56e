#include "orvane_plugins/array_reading.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include <xercesc/dom/DOMElement.hpp>

#include "orvane/values/ov_exception.h"
#include "orvane_plugins/element_reading.h"
#include "orvane_plugins/model_algorithm.h"

namespace orvane_plugins {

namespace {

using MCOrvane_600::OVException;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// The declared count `n` of an array element; -1 when absent.
int DeclaredCount(const xercesc::DOMElement* array, const ReadContext& context) {
  const double n = NumberAttribute(array, "n", -1.0, context);
  if (n != -1.0 && (n < 0 || n != std::floor(n) || n > 1e8)) {
    throw OVException(OVException::kCodeConversion,
                      ElementName(array, context) + ": attribute n is not a count");
  }
  return static_cast<int>(n);
}

void CheckCount(const xercesc::DOMElement* array, int declared, size_t found,
                const ReadContext& context) {
  if (declared >= 0 && static_cast<size_t>(declared) != found) {
    throw OVException(OVException::kCodeCount, ElementName(array, context) + ": n is " +
                                                   std::to_string(declared) + " but " +
                                                   std::to_string(found) + " entries follow");
  }
}

std::vector<double> Numbers(const xercesc::DOMElement* element, const ReadContext& context) {
  std::vector<double> numbers;
  if (!ParseNumbers(ElementText(element, context), &numbers)) {
    throw OVException(OVException::kCodeConversion,
                      ElementName(element, context) + ": an entry is not a number");
  }
  return numbers;
}

}  // namespace

std::vector<std::string> ReadArrayTexts(const xercesc::DOMElement* array,
                                        const ReadContext& context) {
  const std::string text = ElementText(array, context);
  std::vector<std::string> entries;
  // Sized once for the usual entries, one per stretch without blanks.
  size_t stretches = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    stretches += !IsBlank(text[i]) && (i == 0 || IsBlank(text[i - 1]));
  }
  entries.reserve(stretches);
  size_t pos = 0;
  while (pos < text.size()) {
    while (pos < text.size() && IsBlank(text[pos])) ++pos;
    if (pos == text.size()) break;
    std::string entry;
    if (text[pos] == '"') {
      ++pos;
      while (pos < text.size() && text[pos] != '"') {
        if (text[pos] == '\\' && pos + 1 < text.size() && text[pos + 1] == '"') ++pos;
        entry += text[pos++];
      }
      if (pos == text.size()) {
        throw OVException(OVException::kCodeSemantic,
                          ElementName(array, context) + ": a quoted entry is not closed");
      }
      ++pos;  // the closing quote
    } else {
      while (pos < text.size() && !IsBlank(text[pos])) entry += text[pos++];
    }
    entries.push_back(std::move(entry));
  }
  CheckCount(array, DeclaredCount(array, context), entries.size(), context);
  return entries;
}

std::vector<double> ReadNumberArray(const xercesc::DOMElement* array, const ReadContext& context) {
  const std::string name = ElementName(array, context);
  if (name == "Array") {
    std::vector<double> numbers;
    for (const std::string& entry : ReadArrayTexts(array, context)) {
      double number = 0.0;
      if (!ParseNumber(entry, &number)) {
        throw OVException(OVException::kCodeConversion,
                          name + ": entry \"" + entry + "\" is not a number");
      }
      numbers.push_back(number);
    }
    return numbers;
  }
  if (name != "REAL-SparseArray" && name != "INT-SparseArray") {
    throw OVException(OVException::kCodeUnsupported, name + " is not an array");
  }
  const int n = DeclaredCount(array, context);
  const xercesc::DOMElement* indices_element = ChildElement(array, "Indices");
  const xercesc::DOMElement* entries_element =
      ChildElement(array, name == "INT-SparseArray" ? "INT-Entries" : "REAL-Entries");
  std::vector<double> indices;
  std::vector<double> entries;
  if (indices_element != nullptr) indices = Numbers(indices_element, context);
  if (entries_element != nullptr) entries = Numbers(entries_element, context);
  if (indices.size() != entries.size()) {
    throw OVException(OVException::kCodeCount, name + ": Indices and entries differ in number");
  }
  double top = 0.0;
  for (double index : indices) top = std::max(top, index);
  const size_t size = n >= 0 ? static_cast<size_t>(n) : static_cast<size_t>(top);
  std::vector<double> numbers(size, NumberAttribute(array, "defaultValue", 0.0, context));
  for (size_t i = 0; i < indices.size(); ++i) {
    const double index = indices[i];
    if (index < 1 || index > static_cast<double>(size) || index != std::floor(index)) {
      throw OVException(OVException::kCodeCount,
                        name + ": an index lies outside 1.." + std::to_string(size));
    }
    numbers[static_cast<size_t>(index) - 1] = entries[i];
  }
  return numbers;
}

}  // namespace orvane_plugins
