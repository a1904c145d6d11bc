#pragma once

#include <utility>

namespace platform {

// One replaceable piece of the outside world: the real implementation, unless a test has
// installed a replacement.
template <class Interface> class Seam
{
public:
    explicit Seam(Interface &real) : m_real(real) {}
    Interface &get() const { return m_replacement ? *m_replacement : m_real; }
    // nullptr goes back to the real one; returns the replacement installed before, or nullptr.
    Interface *install(Interface *replacement) { return std::exchange(m_replacement, replacement); }

private:
    Interface &m_real;
    Interface *m_replacement = nullptr;
};

} // namespace platform
