#include "TonecrestApplication.h"

namespace
{
juce::JUCEApplicationBase* createApplication()
{
    return new TonecrestApplication();
}
} // namespace

int main(int argc, char* argv[])
{
    juce::JUCEApplicationBase::createInstance = &createApplication;
    return juce::JUCEApplicationBase::main(argc, const_cast<const char**>(argv));
}
