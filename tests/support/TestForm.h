#pragma once

#include "FakePlatform.h"
#include "app/Form1.h"

#include <QLineEdit>
#include <memory>

namespace corvane {

// A main window on a fresh fake platform, activated once as at start-up.
struct TestForm {
    FakePlatform platform;
    std::unique_ptr<Form1> form;

    TestForm() : form(std::make_unique<Form1>(platform)) {}
    void activate() { form->Form_Activate(); }
    // Fills a slot as a pick would.
    static void fill(QLineEdit *slot, const QString &text, const QString &path)
    {
        setSlot(slot, text, path);
    }
};

} // namespace corvane
