#pragma once
// Answers the message and input boxes for a test and records what was asked.

#include "platform/MessageBox.h"

#include <QStringList>

#include <vector>

class MsgBoxRecorder {
public:
    explicit MsgBoxRecorder(int answer = platform::vbOK) : answer_(answer) {
        previousMsg_ = platform::SetMsgBoxAnswerer([this](const platform::MsgBoxCall& call) {
            calls.push_back(call);
            return answer_;
        });
        previousInput_ = platform::SetInputBoxAnswerer([this](const platform::InputBoxCall& call) {
            inputs.push_back(call);
            if (inputAnswers.isEmpty()) return QString();
            return inputAnswers.takeFirst();
        });
    }
    ~MsgBoxRecorder() {
        platform::SetMsgBoxAnswerer(previousMsg_);
        platform::SetInputBoxAnswerer(previousInput_);
    }
    MsgBoxRecorder(const MsgBoxRecorder&) = delete;
    MsgBoxRecorder& operator=(const MsgBoxRecorder&) = delete;

    QStringList prompts() const {
        QStringList out;
        for (const auto& c : calls) out << c.prompt;
        return out;
    }

    std::vector<platform::MsgBoxCall> calls;
    std::vector<platform::InputBoxCall> inputs;
    QStringList inputAnswers;  // answers for the input box, in order; empty = cancelled

private:
    int answer_;
    platform::MsgBoxAnswerer previousMsg_;
    platform::InputBoxAnswerer previousInput_;
};
