#include "model/object.h"

namespace vn {

void Object::release() {
  if (--refCount_ <= 0) delete this;
}

uint32_t takeSerial() {
  static uint32_t counter = 1;
  return counter++;
}

}  // namespace vn
