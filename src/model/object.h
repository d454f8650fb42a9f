// Reference-counted base of the font objects. An object starts with one reference;
// release() destroys it when the last reference goes. Objects are shared, never copied.
#pragma once

#include <cstdint>

namespace vn {

class Object {
 public:
  Object() = default;
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;

  virtual int32_t refCount() const { return refCount_; }
  // Drops one reference; destroys the object when it was the last one.
  virtual void release();
  // A new object with a copy of the contents; none by default.
  virtual Object* clone() const { return nullptr; }
  virtual Object* addRef() {
    ++refCount_;
    return this;
  }

 protected:
  virtual ~Object() = default;

 private:
  int32_t refCount_ = 1;
};

// Holds one reference to an object for the lifetime of the holder.
template <class T>
class Ref {
 public:
  Ref() = default;
  // Takes over a reference the caller already owns (e.g. a freshly made object).
  static Ref adopt(T* object) {
    Ref ref;
    ref.object_ = object;
    return ref;
  }
  // Adds a reference of its own.
  explicit Ref(T* object) : object_(object) {
    if (object_) object_->addRef();
  }
  Ref(const Ref& other) : Ref(other.object_) {}
  Ref(Ref&& other) noexcept : object_(other.object_) { other.object_ = nullptr; }
  Ref& operator=(Ref other) noexcept {
    T* held = object_;
    object_ = other.object_;
    other.object_ = held;
    return *this;
  }
  ~Ref() {
    if (object_) object_->release();
  }
  T* get() const { return object_; }
  T* operator->() const { return object_; }
  T& operator*() const { return *object_; }
  explicit operator bool() const { return object_ != nullptr; }

 private:
  T* object_ = nullptr;
};

}  // namespace vn

namespace vn {

// The process-wide serial counter shared by font/style pairs and glyphs: returns the
// current value (1 at start) and advances it.
uint32_t takeSerial();

}  // namespace vn
