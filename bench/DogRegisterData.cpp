// Writes the data file of the dog register benchmark: N <dog> elements with a
// <note> of about twenty words, the same bytes for the same N and seed on
// every machine (the generator is our own, not the library's distributions,
// whose results may differ between implementations).
#include "bench/DogRegisterData.h"

#include <array>
#include <ostream>
#include <string>

namespace qv::bench {

namespace {

constexpr std::array kNames = {"Bella", "Max",   "Luna",  "Oskar", "Rex",   "Nala", "Bruno",   "Daisy",
                               "Finn",  "Greta", "Hugo",  "Ivy",   "Juno",  "Kira", "Lotte",   "Milo",
                               "Nora",  "Otto",  "Pippa", "Quinn", "Rosie", "Sam",  "Tilda",   "Udo",
                               "Vera",  "Wilma", "Xaver", "Yoko",  "Zeus",  "Ace",  "Biscuit", "Cleo"};
constexpr std::array kBreeds = {"Labrador Retriever",
                                "German Shepherd",
                                "Border Collie",
                                "Dachshund",
                                "Beagle",
                                "Poodle",
                                "Boxer",
                                "Golden Retriever",
                                "Whippet",
                                "Schnauzer",
                                "Jack Russell Terrier",
                                "Dalmatian",
                                "Bernese Mountain Dog",
                                "Pug",
                                "Cocker Spaniel",
                                "Husky"};
constexpr std::array kFirst = {"Jonas", "Ana",  "Per",   "Kemal", "Maria", "Tomas", "Eva",  "Lars",
                               "Ines",  "Paul", "Sofia", "Karl",  "Mina",  "Felix", "Rita", "Omar"};
constexpr std::array kLast = {"Berg",   "Ribeiro", "Lindqvist", "Öztürk", "Novak",  "Ferreira", "Hansen",
                              "Moreau", "Keller",  "Visser",    "Costa",  "Nilsen", "Horvat",   "Brandt"};
constexpr std::array kWords = {
    "friendly", "with",     "children",  "afraid",     "of",       "thunder", "trained",  "for",
    "search",   "and",      "rescue",    "needs",      "a",        "long",    "walk",     "every",
    "morning",  "herds",    "the",       "ducks",      "whenever", "gate",    "is",       "left",
    "open",     "diet",     "food",      "only",       "check",    "teeth",   "in",       "spring",
    "loves",    "swimming", "barks",     "at",         "postman",  "sleeps",  "under",    "kitchen",
    "table",    "won",      "second",    "prize",      "county",   "show",    "allergic", "to",
    "chicken",  "shy",      "strangers", "but",        "gentle",   "once",    "settled",  "vaccinated",
    "last",     "autumn",   "microchip", "registered", "owner",    "moved",   "town",     "recently"};

// SplitMix64: a tiny generator with a fixed, documented sequence.
class Random {
public:
    explicit Random(uint64_t seed) : m_state(seed) {}
    uint64_t Next() {
        uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform enough for test data in [0, n).
    size_t Below(size_t n) { return static_cast<size_t>(Next() % n); }

private:
    uint64_t m_state;
};

template <class Array>
const char* Pick(Random& random, const Array& array) {
    return array[random.Below(array.size())];
}

}  // namespace

void WriteDogRegisterData(std::ostream& out, size_t dogs, uint64_t seed) {
    Random random(seed);
    out << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<dogs>\n";
    std::string note;
    for (size_t i = 0; i < dogs; ++i) {
        const char* name = Pick(random, kNames);
        const char* breed = Pick(random, kBreeds);
        const size_t age = 1 + random.Below(15);
        const char* first = Pick(random, kFirst);
        const char* last = Pick(random, kLast);
        // 17 to 23 words: the note wraps over two or three lines of its column.
        const size_t words = 17 + random.Below(7);
        note.clear();
        for (size_t w = 0; w < words; ++w) {
            if (w) note += ' ';
            note += Pick(random, kWords);
        }
        note[0] = static_cast<char>(note[0] - 'a' + 'A');
        note += '.';
        out << "  <dog name=\"" << name << "\" breed=\"" << breed << "\" age=\"" << age << "\" owner=\"" << first << ' '
            << last << "\">\n    <note>" << note << "</note>\n  </dog>\n";
    }
    out << "</dogs>\n";
}

}  // namespace qv::bench
