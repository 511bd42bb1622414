// A fresh application object and global texts object for every test.
#pragma once

#include "common/wwintl.h"
#include "platform/application.h"

#include <gtest/gtest.h>
#include <memory>

class WwIntlTest : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = Application;
        app_ = std::make_unique<TApplication>(nullptr);
        Application = app_.get();
        InitWwIntlUnit();
        ASSERT_NE(wwIntl(), nullptr);
    }
    void TearDown() override {
        FinalizeWwIntlUnit();
        app_.reset();
        Application = previous_;
    }
    TwwIntl* Global() const { return wwIntl(); }

    // Each test's own application object, so that a test may also free it.
    std::unique_ptr<TApplication> app_;
    TApplication* previous_ = nullptr;
};
