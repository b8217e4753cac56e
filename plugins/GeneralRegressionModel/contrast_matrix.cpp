#include "contrast_matrix.h"

#include <algorithm>
#include <string>

#include <xercesc/dom/DOMElement.hpp>

#include "orvane/values/ov_exception.h"
#include "orvane_plugins/element_reading.h"

namespace orvane_plugins {

using MCOrvane_600::OVException;

namespace {

std::vector<double> ArrayNumbers(const xercesc::DOMElement* array, const ReadContext& context) {
  const std::string type = Attribute(array, "type", context);
  if (type != "real" && type != "int") {
    throw OVException(OVException::kCodeUnsupported,
                      "Array: type \"" + type + "\" in a Matrix is not supported");
  }
  std::vector<double> numbers;
  if (!ParseNumbers(ElementText(array, context), &numbers)) {
    throw OVException(OVException::kCodeConversion, "Array: an entry is not a number");
  }
  if (HasAttribute(array, "n") &&
      NumberAttribute(array, "n", 0.0, context) != static_cast<double>(numbers.size())) {
    throw OVException(OVException::kCodeCount, "Array: n disagrees with the entries");
  }
  return numbers;
}

int Count(const xercesc::DOMElement* element, const char* name, int fallback,
          const ReadContext& context) {
  const double count = NumberAttribute(element, name, fallback, context);
  if (!(count >= 0.0 && count <= 1e6) || count != static_cast<int>(count)) {
    throw OVException(OVException::kCodeSemantic, ElementName(element, context) +
                                                      ": attribute " + name + " is not a count");
  }
  return static_cast<int>(count);
}

}  // namespace

DenseMatrix::DenseMatrix(const xercesc::DOMElement* element, const ReadContext& context) {
  static const char* const kChildren[] = {"Array", "MatCell", nullptr};
  RefuseUnknownChildren(element, kChildren, context);
  std::string kind = Attribute(element, "kind", context);
  if (kind.empty()) kind = "any";
  if (kind != "any" && kind != "diagonal" && kind != "symmetric") {
    throw OVException(OVException::kCodeUnsupported,
                      "Matrix: kind \"" + kind + "\" is not supported");
  }
  std::vector<std::vector<double>> arrays;
  for (xercesc::DOMElement* array : ChildElements(element, "Array")) {
    arrays.push_back(ArrayNumbers(array, context));
  }
  const std::vector<xercesc::DOMElement*> mat_cells = ChildElements(element, "MatCell");

  // The size: given, or what the arrays show.
  int shown_rows = static_cast<int>(arrays.size());
  int shown_columns = 0;
  for (const std::vector<double>& row : arrays) {
    shown_columns = std::max(shown_columns, static_cast<int>(row.size()));
  }
  if (kind == "diagonal" && arrays.size() == 1) shown_rows = shown_columns;
  if (kind == "symmetric") shown_columns = shown_rows;
  rows_ = Count(element, "nbRows", shown_rows, context);
  columns_ = Count(element, "nbCols", shown_columns, context);
  if (kind != "any" && rows_ != columns_) {
    throw OVException(OVException::kCodeSemantic, "Matrix: a " + kind + " matrix is square");
  }
  if (static_cast<double>(rows_) * columns_ > 1e7) {
    throw OVException(OVException::kCodeSemantic, "Matrix: too large");
  }
  const double diag = NumberAttribute(element, "diagDefault", 0.0, context);
  const double off_diag = NumberAttribute(element, "offDiagDefault", 0.0, context);
  cells_.assign(static_cast<size_t>(rows_) * columns_, 0.0);
  for (int r = 0; r < rows_; ++r) {
    for (int c = 0; c < columns_; ++c) cells_[r * columns_ + c] = r == c ? diag : off_diag;
  }

  if (kind == "diagonal" && !arrays.empty()) {
    if (arrays.size() != 1 || static_cast<int>(arrays[0].size()) != rows_) {
      throw OVException(OVException::kCodeCount, "Matrix: a diagonal matrix has one Array of nbRows entries");
    }
    for (int r = 0; r < rows_; ++r) cells_[r * columns_ + r] = arrays[0][r];
  } else if (!arrays.empty()) {
    if (static_cast<int>(arrays.size()) != rows_) {
      throw OVException(OVException::kCodeCount, "Matrix: the number of Arrays is not nbRows");
    }
    for (int r = 0; r < rows_; ++r) {
      const int expected = kind == "symmetric" ? r + 1 : columns_;
      if (static_cast<int>(arrays[r].size()) != expected) {
        throw OVException(OVException::kCodeCount, "Matrix: Array " + std::to_string(r + 1) +
                                                       " has the wrong number of entries");
      }
      for (int c = 0; c < expected; ++c) {
        cells_[r * columns_ + c] = arrays[r][c];
        if (kind == "symmetric") cells_[c * columns_ + r] = arrays[r][c];
      }
    }
  }
  for (xercesc::DOMElement* cell : mat_cells) {
    const int row = Count(cell, "row", 0, context);
    const int column = Count(cell, "col", 0, context);
    double value = 0.0;
    if (row < 1 || row > rows_ || column < 1 || column > columns_ ||
        !ParseNumber(ElementText(cell, context), &value)) {
      throw OVException(OVException::kCodeSemantic, "MatCell: row, col or value is out of the Matrix");
    }
    cells_[(row - 1) * columns_ + column - 1] = value;
    if (kind == "symmetric") cells_[(column - 1) * columns_ + row - 1] = value;
  }
}

}  // namespace orvane_plugins
