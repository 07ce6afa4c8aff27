#include "audio/Flite.h"
#include <QLibrary>
#include <flite/flite.h>

using namespace Qt::Literals::StringLiterals;

namespace {
struct Flite {
    cst_voice *voice = nullptr;
    cst_wave *(*textToWave)(const char *text, cst_voice *voice) = nullptr;
    void (*deleteWave)(cst_wave *wave) = nullptr;
};

const Flite &flite()
{
    static const Flite loaded = [] {
        Flite f;
        QLibrary core(u"flite"_s, 1), slt(u"flite_cmu_us_slt"_s, 1);
        const auto init = reinterpret_cast<int (*)()>(core.resolve("flite_init"));
        const auto registerVoice = reinterpret_cast<cst_voice *(*)(const char *)>(slt.resolve("register_cmu_us_slt"));
        f.textToWave = reinterpret_cast<cst_wave *(*)(const char *, cst_voice *)>(core.resolve("flite_text_to_wave"));
        f.deleteWave = reinterpret_cast<void (*)(cst_wave *)>(core.resolve("delete_wave"));
        if (init && registerVoice && f.textToWave && f.deleteWave) {
            init();
            f.voice = registerVoice(nullptr);
        }
        return f;
    }();
    return loaded;
}
} // namespace

bool fliteLoaded()
{
    return flite().voice;
}

Sound synthesise(const QString &sentence)
{
    if (!fliteLoaded())
        return {};
    cst_wave *wave = flite().textToWave(sentence.toUtf8().constData(), flite().voice);
    if (!wave)
        return {};
    Sound sound{QByteArray(reinterpret_cast<const char *>(wave->samples),
                           qsizetype(wave->num_samples) * wave->num_channels * 2),
                wave->sample_rate, wave->num_channels};
    flite().deleteWave(wave);
    return sound;
}
