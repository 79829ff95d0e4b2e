#include "web/gl_display_lists.h"

#include <algorithm>
#include <map>
#include <vector>

#include "web/gl_layer.h"
#include "web/gl_real.h"

namespace {
// GL's least GL_MAX_LIST_NESTING.
constexpr int kMaxNesting = 64;

struct ListStore {
    std::map<GLuint, std::vector<GlCommand>> lists;
    GLuint highest = 0;  // the largest name ever given a list
    GLuint compiling = 0;
    GLenum compileMode = GL_COMPILE;
    std::vector<GlCommand> pending;
    int depth = 0;
};

ListStore& store() {
    static ListStore lists;
    return lists;
}
}  // namespace

bool recordCommand(const GlCommand& command) {
    ListStore& s = store();
    if (s.compiling == 0) return false;
    s.pending.push_back(command);
    return s.compileMode == GL_COMPILE;
}

void callDisplayList(GLuint list) {
    ListStore& s = store();
    auto found = s.lists.find(list);
    if (found == s.lists.end() || s.depth >= kMaxNesting) return;
    ++s.depth;
    // Nothing a list holds can compile a list, so the commands stay put.
    for (const GlCommand& command : found->second) executeCommand(command);
    --s.depth;
}

GLuint quadruneGenLists(GLsizei range) {
    ListStore& s = store();
    if (range <= 0) return 0;
    // Past every name used so far, as Mesa hands them out, so a name the
    // game chose itself with glNewList is never handed out again.
    GLuint base = s.highest + 1;
    s.highest += static_cast<GLuint>(range);
    // The names are taken: an empty list plays as nothing, as GL's does.
    for (GLuint name = base; name <= s.highest; ++name) s.lists[name];
    return base;
}

void quadruneNewList(GLuint list, GLenum mode) {
    ListStore& s = store();
    if (list == 0 || s.compiling != 0) return;
    if (mode != GL_COMPILE && mode != GL_COMPILE_AND_EXECUTE) return;
    s.compiling = list;
    s.highest = std::max(s.highest, list);
    s.compileMode = mode;
    s.pending.clear();
}

void quadruneEndList() {
    ListStore& s = store();
    if (s.compiling == 0) return;
    s.lists[s.compiling] = std::move(s.pending);
    s.pending.clear();
    s.compiling = 0;
}

void quadruneCallList(GLuint list) {
    GlCommand command{GlOp::CallList};
    command.integer = static_cast<GLint>(list);
    if (!recordCommand(command)) callDisplayList(list);
}

void quadruneDeleteLists(GLuint list, GLsizei range) {
    for (GLsizei i = 0; i < range; ++i) store().lists.erase(list + static_cast<GLuint>(i));
}

GLboolean quadruneIsList(GLuint list) { return store().lists.count(list) ? GL_TRUE : GL_FALSE; }
