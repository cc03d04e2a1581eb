#pragma once

#include <cstdint>

// The reference count of the display API's objects: the last Release deletes the object.
template <typename Interface> class TComObject : public Interface {
public:
  uint32_t AddRef() override { return ++m_references; }
  uint32_t Release() override {
    uint32_t left = --m_references;
    if (left == 0) delete this;
    return left;
  }

protected:
  ~TComObject() override = default;

private:
  uint32_t m_references = 1;
};
