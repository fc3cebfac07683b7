// The result of a kernel operation: success, or failure with a readable reason. A successful
// outcome may still carry warnings (for example an attribute left out of a model file).
#pragma once

#include <string>
#include <utility>

#include <tagtrack/kernel/kernel_export.h>

class TPK_KERNEL_EXPORT outcome {
 public:
  outcome() = default;
  static outcome failure(std::string reason) {
    outcome result;
    result.m_ok = false;
    result.m_message = std::move(reason);
    return result;
  }

  bool ok() const { return m_ok; }
  explicit operator bool() const { return m_ok; }
  // The reason of a failure; empty on success.
  const std::string& message() const { return m_message; }
  // Warnings of a successful operation, one per line.
  const std::string& warnings() const { return m_warnings; }
  void add_warning(const std::string& text);

 private:
  bool m_ok = true;
  std::string m_message;
  std::string m_warnings;
};
