#ifndef ORVANE_PLUGINS_GENERAL_REGRESSION_CONTRAST_MATRIX_H_
#define ORVANE_PLUGINS_GENERAL_REGRESSION_CONTRAST_MATRIX_H_

#include <vector>

#include <xercesc/util/XercesDefs.hpp>

XERCES_CPP_NAMESPACE_BEGIN
class DOMElement;
XERCES_CPP_NAMESPACE_END

namespace orvane_plugins {

class ReadContext;

// A dense matrix read from a "Matrix" element (kinds any, diagonal and
// symmetric; rows as Array elements or single MatCell entries).
class DenseMatrix {
 public:
  // Throws OVException naming Matrix, Array or MatCell when the element
  // does not describe a matrix.
  DenseMatrix(const xercesc::DOMElement* element, const ReadContext& context);

  int rows() const { return rows_; }
  int columns() const { return columns_; }
  double at(int row, int column) const { return cells_[row * columns_ + column]; }

 private:
  int rows_ = 0;
  int columns_ = 0;
  std::vector<double> cells_;
};

}  // namespace orvane_plugins

#endif  // ORVANE_PLUGINS_GENERAL_REGRESSION_CONTRAST_MATRIX_H_
