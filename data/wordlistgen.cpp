// Writes Kestrin's four word lists into a folder: the dictionary (lower-case words of letters
// only, unique, in dictionary order) and every two, three and four-letter combination.
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <set>
#include <string>

namespace {
bool lettersOnly(const std::string &word) {
    if (word.empty())
        return false;
    for (char c : word) {
        if (c < 'a' || c > 'z')
            return false;
    }
    return true;
}

void writeCombinations(const std::string &path, int length) {
    std::ofstream out(path, std::ios::binary);
    std::string name(length, 'a');
    while (true) {
        out << name << "\r\n";
        int i = length - 1;
        while (i >= 0 && name[i] == 'z')
            name[i--] = 'a';
        if (i < 0)
            break;
        ++name[i];
    }
}
} // namespace

int main(int argc, char **argv) {
    if (argc != 3) {
        std::cerr << "usage: wordlistgen DICTIONARY FOLDER\n";
        return 2;
    }
    const std::string folder = argv[2];
    std::ifstream dictionary(argv[1]);
    if (!dictionary) {
        std::cerr << "wordlistgen: cannot read " << argv[1]
                  << " (install Debian's wamerican package)\n";
        return 1;
    }
    std::string mkdir = "mkdir -p '" + folder + "'";
    if (std::system(mkdir.c_str()) != 0)
        return 1;

    std::ofstream full(folder + "/FullWordList.txt", std::ios::binary);
    std::set<std::string> seen;
    std::string word;
    while (std::getline(dictionary, word)) {
        if (!word.empty() && word.back() == '\r')
            word.pop_back();
        if (lettersOnly(word) && seen.insert(word).second)
            full << word << "\r\n";
    }
    writeCombinations(folder + "/AllTwoLetter.txt", 2);
    writeCombinations(folder + "/AllThreeLetter.txt", 3);
    writeCombinations(folder + "/AllFourLetter.txt", 4);
    return full ? 0 : 1;
}
