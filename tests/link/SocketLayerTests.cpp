// The socket layer takes the unit's address as it is written and never asks a resolver: a
// name query could leave the machine. The resolver's entry point is replaced in this
// program, so a lookup would be counted here instead of being made.
#include "SocketErrors.h"
#include "SocketLayer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <netdb.h>

namespace {

std::atomic<int> resolverCalls{0};

} // namespace

extern "C" int getaddrinfo(const char*, const char*, const addrinfo*, addrinfo**) {
    ++resolverCalls;
    return EAI_FAIL;
}

namespace {

struct AddressRow {
    const char* name;
    QString host;
    bool taken;
};

class UnitAddress : public ::testing::TestWithParam<AddressRow> {};

TEST_P(UnitAddress, IsTakenOnlyAsADottedIpv4AddressAndNeverResolved) {
    resolverCalls = 0;
    quint32 address = 0;
    int error = 0;
    EXPECT_EQ(TcpSocket::lookupAddress(GetParam().host, address, error), GetParam().taken);
    EXPECT_EQ(TcpSocket::isIpv4Address(GetParam().host), GetParam().taken);
    if (GetParam().taken)
        EXPECT_EQ(TcpSocket::dottedAddress(address), GetParam().host);
    else
        EXPECT_EQ(error, SocketHostNotFound);
    EXPECT_EQ(resolverCalls, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Hosts, UnitAddress,
    ::testing::Values(AddressRow{"Loopback", QStringLiteral("127.0.0.1"), true},
                      AddressRow{"DefaultUnit", QStringLiteral("192.168.0.1"), true},
                      AddressRow{"Localhost", QStringLiteral("localhost"), false},
                      AddressRow{"DomainName", QStringLiteral("unit.example.invalid"), false},
                      AddressRow{"NumberAbove255", QStringLiteral("127.0.0.999"), false},
                      AddressRow{"ShortForm", QStringLiteral("127.1"), false},
                      AddressRow{"TrailingBlank", QStringLiteral("127.0.0.1 "), false},
                      AddressRow{"EmbeddedNul",
                                 QStringLiteral("127.0.0.1") + QChar(0) + QStringLiteral("x"),
                                 false},
                      AddressRow{"Empty", QString(), false}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
