#include <tagtrack/kernel/outcome.h>

void outcome::add_warning(const std::string& text) {
  if (!m_warnings.empty()) m_warnings += '\n';
  m_warnings += text;
}
