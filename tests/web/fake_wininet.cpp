// The recording fake behind FakeWinInet. The transfer runs on a worker
// thread, so the record is kept under a lock.
#include "tests/web/fake_wininet.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace {

FakeWinInet* fake = nullptr;

std::string str(const char* s) {
    return s ? "\"" + std::string(s) + "\"" : "null";
}
std::string num(std::uint64_t n) {
    return std::to_string(n);
}
std::string handle(void* h) {
    return h ? "h" + num(reinterpret_cast<std::uintptr_t>(h)) : "null";
}

void record(const std::string& call) {
    std::lock_guard<std::mutex> hold(fake->lock);
    fake->calls.push_back(call);
}

// Holds a call named in block_at until the test releases the fake.
void maybe_block(const std::string& name) {
    std::unique_lock<std::mutex> hold(fake->lock);
    if (fake->block_at == name) fake->changed.wait(hold, [] { return fake->released; });
}

void* new_handle(int which) {
    std::lock_guard<std::mutex> hold(fake->lock);
    if (fake->fail_open == which) return nullptr;
    ++fake->open_handles;
    return reinterpret_cast<void*>(static_cast<std::uintptr_t>(which));
}

void* open(const char* agent, std::uint32_t access, const char* proxy, const char* bypass,
           std::uint32_t flags) {
    record("InternetOpenA(" + str(agent) + ", " + num(access) + ", " + str(proxy) + ", " +
           str(bypass) + ", " + num(flags) + ")");
    return new_handle(1);
}

void* connect(void* internet, const char* host, std::int32_t port, const char* user,
              const char* password, std::uint32_t service, std::uint32_t flags,
              std::uintptr_t context) {
    record("InternetConnectA(" + handle(internet) + ", " + str(host) + ", " + std::to_string(port) +
           ", " + str(user) + ", " + str(password) + ", " + num(service) + ", " + num(flags) +
           ", " + num(context) + ")");
    maybe_block("connect");
    return new_handle(2);
}

void* open_request(void* connection, const char* verb, const char* path, const char* version,
                   const char* referrer, const char** accept_types, std::uint32_t flags,
                   std::uintptr_t context) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%X", flags);
    record("HttpOpenRequestA(" + handle(connection) + ", " + str(verb) + ", " + str(path) + ", " +
           str(version) + ", " + str(referrer) + ", " + (accept_types ? "types" : "null") + ", " +
           hex + ", " + num(context) + ")");
    return new_handle(3);
}

int set_option(void* h, std::uint32_t option, void* value, std::uint32_t length) {
    record("InternetSetOptionA(" + handle(h) + ", " + num(option) + ", " + num(length) + ")");
    if (value && length == 4) std::memcpy(&fake->security_value, value, 4);
    return 1;
}

int send_request(void* request, const char* headers, std::uint32_t length, void* optional,
                 std::uint32_t optional_length) {
    record("HttpSendRequestA(" + handle(request) + ", " + num(length) + ", " +
           (optional ? "data" : "null") + ", " + num(optional_length) + ")");
    fake->sent_headers = headers ? headers : "";
    fake->sent_length = length;
    maybe_block("send");
    return 1;
}

int read_file(void* request, void* buffer, std::uint32_t to_read, std::uint32_t* read) {
    std::unique_lock<std::mutex> hold(fake->lock);
    fake->calls.push_back("InternetReadFile(" + handle(request) + ", " + num(to_read) + ")");
    ++fake->read_calls;
    *read = 0;
    if (fake->block_at == "read" + num(fake->read_calls))
        fake->changed.wait(hold, [] { return fake->released; });
    if (fake->endless) {
        std::memset(buffer, 'x', to_read);
        *read = to_read;
        return 1;
    }
    if (fake->reads.empty()) return 1;
    const Bytes chunk = fake->reads.front();
    fake->reads.pop_front();
    std::memcpy(buffer, chunk.data(), std::min<std::size_t>(chunk.size(), to_read));
    *read =
        fake->overstated_count ? fake->overstated_count : static_cast<std::uint32_t>(chunk.size());
    return 1;
}

int query_info(void* request, std::uint32_t level, void* buffer, std::uint32_t* length,
               std::uint32_t* index) {
    record("HttpQueryInfoA(" + handle(request) + ", " + num(level) + ", " + num(*length) + ", " +
           (index ? "index" : "null") + ")");
    char* b = static_cast<char*>(buffer);
    // What the caller handed over: length bytes of spaces, then a zero.
    for (std::uint32_t i = 0; i < *length; ++i)
        if (b[i] != ' ') record("report buffer not spaces");
    if (b[*length] != '\0') record("report buffer not ended by zero");
    if (fake->report_fails || fake->report.size() + 1 > *length) return 0;
    std::memcpy(b, fake->report.c_str(), fake->report.size() + 1);
    *length = static_cast<std::uint32_t>(fake->report.size());
    return 1;
}

int close_handle(void* h) {
    record("InternetCloseHandle(" + handle(h) + ")");
    std::lock_guard<std::mutex> hold(fake->lock);
    --fake->open_handles;
    fake->changed.notify_all();
    return 1;
}

const WinInetSeam fake_seam = {open,         connect,   open_request, set_option,
                               send_request, read_file, query_info,   close_handle};

}  // namespace

FakeWinInet::FakeWinInet() {
    fake = this;
}

FakeWinInet::~FakeWinInet() {
    release_and_wait_closed();
    fake = nullptr;
}

const WinInetSeam& FakeWinInet::seam() const {
    return fake_seam;
}

bool FakeWinInet::release_and_wait_closed() {
    std::unique_lock<std::mutex> hold(lock);
    released = true;
    changed.notify_all();
    return changed.wait_for(hold, std::chrono::seconds(10), [this] { return open_handles == 0; });
}

std::vector<std::string> FakeWinInet::calls_named(const std::string& prefix) {
    std::lock_guard<std::mutex> hold(lock);
    std::vector<std::string> out;
    for (const std::string& c : calls)
        if (c.compare(0, prefix.size(), prefix) == 0) out.push_back(c);
    return out;
}
