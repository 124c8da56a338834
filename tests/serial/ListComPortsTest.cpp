#include "serial/ListComPorts.h"

#include <cstdlib>
#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace {

// Sets MOISTREL_SERIAL_PORTS for one test and puts back what was there.
class TScopedPortsVariable {
public:
    explicit TScopedPortsVariable(const char* value) {
        if (const char* old = std::getenv(Name)) {
            fSaved = old;
        }
        if (value != nullptr) {
            ::setenv(Name, value, 1);
        } else {
            ::unsetenv(Name);
        }
    }
    ~TScopedPortsVariable() {
        if (fSaved) {
            ::setenv(Name, fSaved->c_str(), 1);
        } else {
            ::unsetenv(Name);
        }
    }
    TScopedPortsVariable(const TScopedPortsVariable&) = delete;
    TScopedPortsVariable& operator=(const TScopedPortsVariable&) = delete;

private:
    static constexpr const char* Name = "MOISTREL_SERIAL_PORTS";
    std::optional<std::string> fSaved;
};

TEST(ListComPorts, RealDevicesAreNamesUnderDev) {
    TScopedPortsVariable none(nullptr);
    for (const std::string& name : SerialPort::ListComPorts()) {
        EXPECT_EQ(name.find('/'), std::string::npos) << name;
        EXPECT_TRUE(std::filesystem::exists("/dev/" + name)) << name;
    }
}

TEST(ListComPorts, EnvironmentPathsFollowTheDevicesInOrder) {
    std::vector<std::string> real;
    {
        TScopedPortsVariable none(nullptr);
        real = SerialPort::ListComPorts();
    }
    TScopedPortsVariable ports("/tmp/sim/pump::/tmp/sim/mfc-a:/tmp/sim/mfc-b:/tmp/sim/pump:");
    std::vector<std::string> expected = real;
    for (const char* path : {"/tmp/sim/pump", "/tmp/sim/mfc-a", "/tmp/sim/mfc-b", "/tmp/sim/pump"}) {
        expected.emplace_back(path);
    }
    EXPECT_EQ(SerialPort::ListComPorts(), expected);
}

TEST(ListComPorts, EmptyVariableAddsNothing) {
    std::vector<std::string> real;
    {
        TScopedPortsVariable none(nullptr);
        real = SerialPort::ListComPorts();
    }
    TScopedPortsVariable empty(":");
    EXPECT_EQ(SerialPort::ListComPorts(), real);
}

} // namespace
