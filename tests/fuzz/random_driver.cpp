// Drives a libFuzzer entry point without libFuzzer: seeded random inputs, mutations of the
// fixtures in tests/data, and a few hand-made extremes. A crash or sanitizer report fails the
// test; a hang trips the CTest timeout.
#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QtGlobal>

#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

void feed(const QByteArray& bytes)
{
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.constData()),
                           static_cast<size_t>(bytes.size()));
}

QByteArray mutate(QByteArray bytes, QRandomGenerator& rng)
{
    const int edits = 1 + int(rng.bounded(8));
    for (int e = 0; e < edits && !bytes.isEmpty(); ++e) {
        const int at = int(rng.bounded(quint32(bytes.size())));
        switch (rng.bounded(4)) {
        case 0: bytes[at] = char(rng.bounded(256)); break;
        case 1: bytes.remove(at, 1 + int(rng.bounded(16))); break;
        case 2: bytes.insert(at, QByteArray(1 + int(rng.bounded(4)), char(rng.bounded(256)))); break;
        default: bytes.truncate(at); break;
        }
    }
    return bytes;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QRandomGenerator rng(20261207);
    const int rounds = qEnvironmentVariableIsSet("KIRV_FUZZ_ROUNDS")
                           ? qEnvironmentVariableIntValue("KIRV_FUZZ_ROUNDS")
                           : 3000;

    const QByteArray alphabet("\x00\x02\x03\t\r\n-*L.0123456789 RealTimeDataLogger\xff\x55\xaa", 40);
    feed(QByteArray());
    feed(QByteArray(1 << 16, '\t'));
    feed(QByteArray(1 << 16, '\n'));
    for (int i = 0; i < rounds; ++i) {
        QByteArray bytes(int(rng.bounded(512)), Qt::Uninitialized);
        const bool fromAlphabet = rng.bounded(2) == 0;
        for (char& c : bytes)
            c = fromAlphabet ? alphabet[int(rng.bounded(quint32(alphabet.size())))]
                             : char(rng.bounded(256));
        feed(bytes);
    }

    const QDir data(qEnvironmentVariable("KIRV_TEST_DATA"));
    const auto files = data.entryInfoList(QDir::Files);
    for (const QFileInfo& info : files) {
        QFile file(info.filePath());
        if (!file.open(QIODevice::ReadOnly) || file.size() > (1 << 20))
            continue;
        const QByteArray original = file.readAll();
        feed(original);
        for (int i = 0; i < rounds / 10; ++i)
            feed(mutate(original, rng));
    }
    std::printf("fuzz driver: %d random inputs and %lld fixtures, no crash\n", rounds,
                static_cast<long long>(files.size()));
    return 0;
}
