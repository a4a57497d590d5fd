#include <gtest/gtest.h>

#include <cstdio>

#include "private_home.h"

// The test main of the programs without Qt: each runs in a home of its own.
int main(int argc, char** argv) {
    dbx::test::PrivateHome home;
    if (!home.Ok()) {
        std::fputs("cannot make a private home folder for the tests\n", stderr);
        return 1;
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
