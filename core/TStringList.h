#pragma once

#include <string>
#include <vector>

// An ordered list of UTF-16 strings with value semantics. Indices run from 0
// to Count() - 1; an index outside that range throws std::out_of_range.
class TStringList {
public:
    void Add(std::u16string text) { FItems.push_back(std::move(text)); }
    int Count() const noexcept { return static_cast<int>(FItems.size()); }
    const std::u16string& Strings(int index) const;
    const std::u16string& operator[](int index) const { return Strings(index); }
    void Clear() noexcept { FItems.clear(); }

    friend bool operator==(const TStringList&, const TStringList&) = default;

private:
    std::vector<std::u16string> FItems;
};
