#include "sw/tools/flashLoader/adapter/driver_io.h"

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "sw/tools/flashLoader/adapter/debug_output.h"
#include "sw/tools/flashLoader/runstate/tool_output_capture.h"

namespace {

// A driver's device object that answers every private request and records
// what it was sent.
class RecordingChannel : public platform::DriverChannel {
 public:
  explicit RecordingChannel(std::optional<uint32_t> vendorVersion) : vendorVersion_(vendorVersion) {}

  bool ioControl(uint32_t controlCode, const void* in, uint32_t inSize, void* out, uint32_t outSize,
                 uint32_t* bytesReturned) override {
    EXPECT_EQ(controlCode, kIoctlNdisQueryGlobalStats);
    EXPECT_EQ(inSize, 4u);
    uint32_t oid;
    std::memcpy(&oid, in, sizeof oid);
    if (oid == kOidGenVendorDriverVersion) {
      ++versionQueries;
      EXPECT_EQ(outSize, 4u);
      if (!vendorVersion_) return fail(platform::kErrorNotSupported);
      std::memcpy(out, &*vendorVersion_, 4);
      *bytesReturned = 4;
      return true;
    }
    EXPECT_EQ(outSize, kDriverRequestSize);
    oids.push_back(oid);
    if (failRequests) return fail(platform::kErrorGenFailure);
    std::memcpy(&lastRecord, out, sizeof lastRecord);
    *bytesReturned = kDriverRequestSize;
    return true;
  }
  platform::WinError lastError() const override { return error_; }

  int versionQueries = 0;
  std::vector<uint32_t> oids;
  DriverRequest lastRecord{};
  bool failRequests = false;

 private:
  bool fail(platform::WinError error) {
    error_ = error;
    return false;
  }
  std::optional<uint32_t> vendorVersion_;
  platform::WinError error_ = platform::kErrorSuccess;
};

DeviceHandle handle_on(std::unique_ptr<RecordingChannel> channel, RecordingChannel** view) {
  *view = channel.get();
  auto handle = std::make_shared<DeviceObject>();
  handle->channel = std::move(channel);
  return handle;
}

std::vector<std::string> g_debugLines;
void collect_debug(const char* text) { g_debugLines.emplace_back(text); }

class DriverIoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_adapter.dialect.store(kDialectNotProbed);
    g_debugLines.clear();
    set_debug_sink(collect_debug);
  }
  void TearDown() override {
    set_debug_sink(nullptr);
    g_adapter.dialect.store(kDialectNotProbed);
  }
};

TEST_F(DriverIoTest, OnlyVendorDriverVersion52SelectsTheAlternateDialect) {
  struct Case {
    std::optional<uint32_t> vendorVersion;
    bool alternate;
  };
  const Case cases[] = {{0x00050002, true},  {0x00040000, false}, {0x00050001, false},
                        {0x00060002, false}, {0x00020005, false}, {std::nullopt, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.vendorVersion ? *c.vendorVersion : 0xDEAD);
    g_adapter.dialect.store(kDialectNotProbed);
    RecordingChannel* channel = nullptr;
    DeviceHandle handle = handle_on(std::make_unique<RecordingChannel>(c.vendorVersion), &channel);

    for (uint32_t command : {kCmdFlashWordRead, kCmdRegisterRead, kCmdFlashUpdateBegin}) {
      DriverRequest request = make_driver_request(command);
      ASSERT_TRUE(CvDeviceIoControl(handle, &request));
      const uint32_t sentAs = c.alternate && command == kCmdFlashWordRead  ? 0x80000024
                              : c.alternate && command == kCmdRegisterRead ? 0x8000001D
                                                                           : command;
      // The translated record is what the driver saw and what the caller keeps.
      EXPECT_EQ(request.command, sentAs);
      EXPECT_EQ(channel->lastRecord.command, sentAs);
      EXPECT_EQ(request.signature, c.alternate ? kAlternateSignature : kStandardSignature);
      EXPECT_EQ(channel->oids.back(), c.alternate ? kOidAlternateRequest : kOidStandardRequest);
    }
    EXPECT_EQ(channel->versionQueries, 1);
    EXPECT_EQ(g_adapter.dialect.load(), c.alternate ? kDialectAlternate : kDialectStandard);
  }
}

TEST_F(DriverIoTest, TheDialectIsProbedOncePerProcessWhateverTheHandle) {
  RecordingChannel* first = nullptr;
  DeviceHandle failing = handle_on(std::make_unique<RecordingChannel>(std::nullopt), &first);
  DriverRequest request = make_driver_request(kCmdRegisterRead);
  ASSERT_TRUE(CvDeviceIoControl(failing, &request));

  // A reopened adapter whose driver would answer 5.2 is not asked again.
  RecordingChannel* second = nullptr;
  DeviceHandle reopened = handle_on(std::make_unique<RecordingChannel>(0x00050002), &second);
  request = make_driver_request(kCmdFlashWordRead);
  ASSERT_TRUE(CvDeviceIoControl(reopened, &request));
  EXPECT_EQ(second->versionQueries, 0);
  EXPECT_EQ(request.command, kCmdFlashWordRead);
  EXPECT_EQ(second->oids.back(), kOidStandardRequest);
}

TEST_F(DriverIoTest, AFailedCallGoesToTheDebuggerNotTheConsole) {
  RecordingChannel* channel = nullptr;
  DeviceHandle handle = handle_on(std::make_unique<RecordingChannel>(0x00040000), &channel);
  channel->failRequests = true;
  DriverRequest request = make_driver_request(kCmdRegisterRead);
  capture_tool_stdout();
  capture_tool_stderr();
  EXPECT_FALSE(CvDeviceIoControl(handle, &request));
  EXPECT_EQ(captured_tool_stdout(), "");
  EXPECT_EQ(captured_tool_stderr(), "");
  EXPECT_EQ(driver_last_error(), platform::kErrorGenFailure);
  EXPECT_EQ(g_debugLines, std::vector<std::string>{"CV_FAILURE: CvDeviceIoControl\n"});

  // A handle whose open failed, and no handle at all, fail as an invalid handle.
  for (const DeviceHandle& invalid : {std::make_shared<DeviceObject>(), DeviceHandle()}) {
    EXPECT_FALSE(CvDeviceIoControl(invalid, &request));
    EXPECT_EQ(driver_last_error(), platform::kErrorInvalidHandle);
  }
}

}  // namespace
