#pragma once

#include "platform/Exception.h"
#include "platform/VersionSource.h"

#include <optional>

// Stands in for the executable's version resource while it lives.
class FakeVersionSource final : public platform::VersionSource
{
public:
    explicit FakeVersionSource(std::optional<platform::VersionStrings> strings, bool fails = false)
        : m_strings(std::move(strings)), m_fails(fails), m_previous(platform::SetVersionSource(this))
    {
    }
    ~FakeVersionSource() override { platform::SetVersionSource(m_previous); }
    std::optional<platform::VersionStrings> read() const override
    {
        if (m_fails)
            throw Exception(QStringLiteral("Ressource de version illisible"));
        return m_strings;
    }

private:
    std::optional<platform::VersionStrings> m_strings;
    bool m_fails;
    platform::VersionSource *m_previous;
};
