// main() of the Windows test programs. gtest's console printer also hands
// every failure and skip message to OutputDebugString, which raises an
// exception for a debugger to see. Where 32-bit Wine runs under a CPU
// emulator, unwinding that exception ends the process, so one failed or
// skipped case would take every case after it along. This printer writes
// the same lines to standard output only and leaves the rest to gtest's.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

namespace {

class ConsoleOnlyPrinter : public testing::TestEventListener {
public:
    explicit ConsoleOnlyPrinter(testing::TestEventListener* printer) : printer_(printer) {}

    void OnTestPartResult(const testing::TestPartResult& result) override {
        if (result.type() == testing::TestPartResult::kSuccess)
            return;
        const char* kind = result.type() == testing::TestPartResult::kSkip ? "Skipped" : "Failure";
        std::printf("%s %s\n%s\n",
                    testing::internal::FormatFileLocation(result.file_name(),
                                                          result.line_number()).c_str(),
                    kind, result.message());
        std::fflush(stdout);
    }

    void OnTestProgramStart(const testing::UnitTest& u) override { printer_->OnTestProgramStart(u); }
    void OnTestIterationStart(const testing::UnitTest& u, int i) override {
        printer_->OnTestIterationStart(u, i);
    }
    void OnEnvironmentsSetUpStart(const testing::UnitTest& u) override {
        printer_->OnEnvironmentsSetUpStart(u);
    }
    void OnEnvironmentsSetUpEnd(const testing::UnitTest& u) override {
        printer_->OnEnvironmentsSetUpEnd(u);
    }
    void OnTestSuiteStart(const testing::TestSuite& s) override { printer_->OnTestSuiteStart(s); }
    void OnTestCaseStart(const testing::TestCase& s) override { printer_->OnTestCaseStart(s); }
    void OnTestStart(const testing::TestInfo& t) override { printer_->OnTestStart(t); }
    void OnTestDisabled(const testing::TestInfo& t) override { printer_->OnTestDisabled(t); }
    void OnTestEnd(const testing::TestInfo& t) override { printer_->OnTestEnd(t); }
    void OnTestSuiteEnd(const testing::TestSuite& s) override { printer_->OnTestSuiteEnd(s); }
    void OnTestCaseEnd(const testing::TestCase& s) override { printer_->OnTestCaseEnd(s); }
    void OnEnvironmentsTearDownStart(const testing::UnitTest& u) override {
        printer_->OnEnvironmentsTearDownStart(u);
    }
    void OnEnvironmentsTearDownEnd(const testing::UnitTest& u) override {
        printer_->OnEnvironmentsTearDownEnd(u);
    }
    void OnTestIterationEnd(const testing::UnitTest& u, int i) override {
        printer_->OnTestIterationEnd(u, i);
    }
    void OnTestProgramEnd(const testing::UnitTest& u) override { printer_->OnTestProgramEnd(u); }

private:
    std::unique_ptr<testing::TestEventListener> printer_;
};

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    testing::TestEventListeners& listeners = testing::UnitTest::GetInstance()->listeners();
    if (testing::TestEventListener* printer = listeners.default_result_printer()) {
        listeners.Release(printer);
        listeners.Append(new ConsoleOnlyPrinter(printer));
    }
    return RUN_ALL_TESTS();
}
