// The clipboard the selection's cut, copy and paste go through. The desktop
// connects the system clipboard; without one a grid uses an in-memory one.
#pragma once

#include <string>

namespace grid {

class Clipboard {
 public:
  virtual ~Clipboard() = default;
  virtual std::string Text() const = 0;
  virtual void SetText(const std::string& text) = 0;
};

class MemoryClipboard : public Clipboard {
 public:
  std::string Text() const override { return text_; }
  void SetText(const std::string& text) override { text_ = text; }

 private:
  std::string text_;
};

}  // namespace grid
