// A minimal host: builds values through the public interface and prints a line.
#include <iostream>

#include "orvane/orvane.h"

int main() {
  using namespace MCOrvane_600;
  OVException e(static_cast<OVException::ExceptionCode>(3), "host check");
  if (e.GetErrorCode() != 3) return 1;
  std::cout << "orvane host ok\n";
  return 0;
}
