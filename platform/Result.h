#pragma once
// Results of platform calls: a value or a Windows error code with its system text.
#include <cstdint>
#include <string>
#include <utility>
#include <variant>

namespace platform {

// Windows error codes that the platform reports.
namespace err {
inline constexpr uint32_t Success = 0;
inline constexpr uint32_t FileNotFound = 2;
inline constexpr uint32_t PathNotFound = 3;
inline constexpr uint32_t AccessDenied = 5;
inline constexpr uint32_t NotEnoughMemory = 8;
inline constexpr uint32_t InvalidData = 13;
inline constexpr uint32_t SharingViolation = 32;
inline constexpr uint32_t HandleEof = 38;
inline constexpr uint32_t HandleDiskFull = 39;
inline constexpr uint32_t FileExists = 80;
inline constexpr uint32_t InvalidParameter = 87;
inline constexpr uint32_t DiskFull = 112;
inline constexpr uint32_t InvalidName = 123;
inline constexpr uint32_t DirNotEmpty = 145;
inline constexpr uint32_t BadPathname = 161;
inline constexpr uint32_t AlreadyExists = 183;
inline constexpr uint32_t FilenameExcedRange = 206;
inline constexpr uint32_t MoreData = 234;
inline constexpr uint32_t NoMoreItems = 259;
inline constexpr uint32_t BadKey = 1010;
inline constexpr uint32_t CantRead = 1012;
inline constexpr uint32_t CantWrite = 1013;
inline constexpr uint32_t RegistryCorrupt = 1015;
inline constexpr uint32_t KeyHasChildren = 1020;
inline constexpr uint32_t Cancelled = 1223;
}  // namespace err

struct Error {
    uint32_t code = 0;
    std::string text;  // the system's text for the code, plus detail where useful
};

// The system's message text for a Windows error code; empty when the system has none.
std::string systemErrorText(uint32_t code);
// The Windows error code for an errno value.
uint32_t errorFromErrno(int errnoValue);
// An Error for a code, with its system text (and an optional detail after it).
Error makeError(uint32_t code, std::string_view detail = {});
Error errorFromErrnoValue(int errnoValue, std::string_view detail = {});

template <class T>
class [[nodiscard]] Result {
public:
    Result(T value) : v_(std::move(value)) {}
    Result(Error error) : v_(std::move(error)) {}
    bool ok() const { return v_.index() == 0; }
    explicit operator bool() const { return ok(); }
    T& value() & { return std::get<0>(v_); }
    const T& value() const& { return std::get<0>(v_); }
    T&& value() && { return std::get<0>(std::move(v_)); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    const Error& error() const { return std::get<1>(v_); }
    uint32_t code() const { return ok() ? 0 : error().code; }
    T valueOr(T fallback) const { return ok() ? value() : std::move(fallback); }

private:
    std::variant<T, Error> v_;
};

template <>
class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Error error) : error_(std::move(error)), ok_(false) {}
    bool ok() const { return ok_; }
    explicit operator bool() const { return ok_; }
    const Error& error() const { return error_; }
    uint32_t code() const { return ok_ ? 0 : error_.code; }

private:
    Error error_;
    bool ok_ = true;
};

using Status = Result<void>;

}  // namespace platform
