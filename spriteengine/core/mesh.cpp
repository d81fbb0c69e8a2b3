#include "mesh.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "spriteengine/formats.h"

namespace spriteengine {

namespace {

constexpr int kMaxVertices = 65536;

// A cursor over the text that skips whitespace between tokens.
class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}

  void SkipSpace() {
    while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) ++pos_;
  }
  bool AtEnd() {
    SkipSpace();
    return pos_ >= text_.size();
  }
  bool Accept(char c) {
    SkipSpace();
    if (pos_ < text_.size() && text_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }
  char Peek() {
    SkipSpace();
    return pos_ < text_.size() ? text_[pos_] : '\0';
  }
  std::string Word() {
    SkipSpace();
    size_t start = pos_;
    while (pos_ < text_.size() && (std::isalnum(static_cast<unsigned char>(text_[pos_])) || text_[pos_] == '_'))
      ++pos_;
    return std::string(text_.substr(start, pos_ - start));
  }
  std::optional<double> Number() {
    SkipSpace();
    size_t start = pos_;
    if (pos_ < text_.size() && (text_[pos_] == '-' || text_[pos_] == '+')) ++pos_;
    while (pos_ < text_.size() && (std::isdigit(static_cast<unsigned char>(text_[pos_])) || text_[pos_] == '.' ||
                                   text_[pos_] == 'e' || text_[pos_] == 'E' ||
                                   ((text_[pos_] == '-' || text_[pos_] == '+') &&
                                    (text_[pos_ - 1] == 'e' || text_[pos_ - 1] == 'E'))))
      ++pos_;
    if (pos_ == start) return std::nullopt;
    std::string token(text_.substr(start, pos_ - start));
    char* end = nullptr;
    double value = std::strtod(token.c_str(), &end);
    if (end != token.c_str() + token.size() || !std::isfinite(value)) return std::nullopt;
    return value;
  }
  std::optional<long> Integer() {
    std::optional<double> n = Number();
    if (!n || *n != std::floor(*n) || std::fabs(*n) > 1e9) return std::nullopt;
    return static_cast<long>(*n);
  }
  // Skips a { ... } block whose '{' has been read.
  bool SkipBlock() {
    int depth = 1;
    while (pos_ < text_.size() && depth > 0) {
      char c = text_[pos_++];
      if (c == '{') ++depth;
      if (c == '}') --depth;
    }
    return depth == 0;
  }

 private:
  std::string_view text_;
  size_t pos_ = 0;
};

bool Fail(std::string* error, const char* message) {
  if (error) *error = message;
  return false;
}

// "N;" then N records; each record is read by `item`, followed by ',' or, for
// the last one, ';'.
template <typename Item>
bool ReadList(Reader& in, long count, Item item) {
  for (long i = 0; i < count; ++i) {
    if (!item()) return false;
    if (!in.Accept(i + 1 < count ? ',' : ';')) return false;
  }
  return true;
}

bool ReadFloats(Reader& in, float* out, int n) {
  for (int i = 0; i < n; ++i) {
    std::optional<double> v = in.Number();
    if (!v || !in.Accept(';')) return false;
    out[i] = static_cast<float>(*v);
  }
  return true;
}

bool ReadTexCoords(Reader& in, Mesh& mesh, std::string* error) {
  if (!in.Accept('{')) return Fail(error, "MeshTextureCoords without '{'");
  std::optional<long> count = in.Integer();
  if (!count || !in.Accept(';') || *count != static_cast<long>(mesh.vertices.size()))
    return Fail(error, "texture coordinate count differs from the vertex count");
  bool ok = ReadList(in, *count, [&] {
    float uv[2];
    if (!ReadFloats(in, uv, 2)) return false;
    mesh.texCoords.push_back({uv[0], uv[1]});
    return true;
  });
  if (!ok) return Fail(error, "malformed texture coordinates");
  if (!in.Accept('}')) return Fail(error, "MeshTextureCoords without '}'");
  return true;
}

}  // namespace

std::optional<Mesh> ParseMesh(std::span<const uint8_t> bytes, std::string* error) {
  std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  size_t headerLength = std::strlen(formats::kMeshHeader);
  if (text.size() < headerLength || text.substr(0, headerLength) != formats::kMeshHeader) {
    Fail(error, "no 'xof 0303txt 0032' header");
    return std::nullopt;
  }
  Reader in(text.substr(headerLength));
  // Skip templates and other top-level blocks until the Mesh.
  while (true) {
    if (in.AtEnd()) {
      Fail(error, "no Mesh block");
      return std::nullopt;
    }
    std::string word = in.Word();
    if (word.empty()) {
      Fail(error, "unexpected character");
      return std::nullopt;
    }
    if (word == "Mesh") break;
    while (!in.AtEnd() && in.Peek() != '{') in.Word().empty() ? (void)in.Accept(in.Peek()) : (void)0;
    if (!in.Accept('{') || !in.SkipBlock()) {
      Fail(error, "unbalanced block");
      return std::nullopt;
    }
  }
  if (in.Peek() != '{') in.Word();  // optional mesh name
  if (!in.Accept('{')) {
    Fail(error, "Mesh without '{'");
    return std::nullopt;
  }
  Mesh mesh;
  std::optional<long> vertexCount = in.Integer();
  if (!vertexCount || *vertexCount < 3 || *vertexCount > kMaxVertices || !in.Accept(';')) {
    Fail(error, "bad vertex count");
    return std::nullopt;
  }
  bool ok = ReadList(in, *vertexCount, [&] {
    float p[3];
    if (!ReadFloats(in, p, 3)) return false;
    mesh.vertices.push_back({p[0], p[1], p[2]});
    return true;
  });
  if (!ok) {
    Fail(error, "vertex data does not match the vertex count");
    return std::nullopt;
  }
  std::optional<long> faceCount = in.Integer();
  if (!faceCount || *faceCount < 1 || *faceCount > kMaxVertices || !in.Accept(';')) {
    Fail(error, "bad face count");
    return std::nullopt;
  }
  ok = ReadList(in, *faceCount, [&] {
    std::optional<long> n = in.Integer();
    if (!n || (*n != 3 && *n != 4) || !in.Accept(';')) return false;
    std::vector<int> face;
    for (long k = 0; k < *n; ++k) {
      std::optional<long> index = in.Integer();
      if (!index || *index < 0 || *index >= *vertexCount) return false;
      if (!in.Accept(k + 1 < *n ? ',' : ';')) return false;
      face.push_back(static_cast<int>(*index));
    }
    mesh.faces.push_back(std::move(face));
    return true;
  });
  if (!ok) {
    Fail(error, "face data does not match the face count or an index is out of range");
    return std::nullopt;
  }
  // Sub-blocks: texture coordinates are read, others skipped.
  while (!in.Accept('}')) {
    if (in.AtEnd()) {
      Fail(error, "Mesh without '}'");
      return std::nullopt;
    }
    std::string word = in.Word();
    if (word.empty()) {
      Fail(error, "unexpected character in Mesh");
      return std::nullopt;
    }
    if (word == "MeshTextureCoords") {
      if (!mesh.texCoords.empty() || !ReadTexCoords(in, mesh, error)) return std::nullopt;
    } else {
      if (in.Peek() != '{') in.Word();
      if (!in.Accept('{') || !in.SkipBlock()) {
        Fail(error, "unbalanced block in Mesh");
        return std::nullopt;
      }
    }
  }
  if (mesh.texCoords.empty()) {
    // No coordinates: map the bounding box, v down.
    float minX = mesh.vertices[0].x, maxX = minX, minY = mesh.vertices[0].y, maxY = minY;
    for (const Vec3& v : mesh.vertices) {
      minX = std::min(minX, v.x), maxX = std::max(maxX, v.x), minY = std::min(minY, v.y), maxY = std::max(maxY, v.y);
    }
    for (const Vec3& v : mesh.vertices)
      mesh.texCoords.push_back({maxX > minX ? (v.x - minX) / (maxX - minX) : 0.f,
                                maxY > minY ? (maxY - v.y) / (maxY - minY) : 0.f});
  }
  return mesh;
}

std::optional<MeshQuad> QuadOfMesh(const Mesh& mesh) {
  const std::vector<int>& f = mesh.faces.front();
  const Vec3 &p0 = mesh.vertices[f[0]], &p1 = mesh.vertices[f[1]], &p2 = mesh.vertices[f[2]];
  const Vec2 &t0 = mesh.texCoords[f[0]], &t1 = mesh.texCoords[f[1]], &t2 = mesh.texCoords[f[2]];
  // [p1-p0 p2-p0] = A [t1-t0 t2-t0]  =>  A = P * inverse(T)
  float du1 = t1.x - t0.x, dv1 = t1.y - t0.y, du2 = t2.x - t0.x, dv2 = t2.y - t0.y;
  float det = du1 * dv2 - du2 * dv1;
  if (std::fabs(det) < 1e-9f) return std::nullopt;
  float i00 = dv2 / det, i01 = -du2 / det, i10 = -dv1 / det, i11 = du1 / det;
  float px1 = p1.x - p0.x, py1 = p1.y - p0.y, px2 = p2.x - p0.x, py2 = p2.y - p0.y;
  MeshQuad q;
  q.uAxis = {px1 * i00 + px2 * i10, py1 * i00 + py2 * i10};
  q.vAxis = {px1 * i01 + px2 * i11, py1 * i01 + py2 * i11};
  q.origin = {p0.x - q.uAxis.x * t0.x - q.vAxis.x * t0.y, p0.y - q.uAxis.y * t0.x - q.vAxis.y * t0.y};
  q.uMin = q.uMax = mesh.texCoords[0].x;
  q.vMin = q.vMax = mesh.texCoords[0].y;
  for (const Vec2& t : mesh.texCoords) {
    q.uMin = std::min(q.uMin, t.x), q.uMax = std::max(q.uMax, t.x);
    q.vMin = std::min(q.vMin, t.y), q.vMax = std::max(q.vMax, t.y);
  }
  if (q.uMax - q.uMin < 1e-6f || q.vMax - q.vMin < 1e-6f) return std::nullopt;
  return q;
}

MeshQuad DefaultMeshQuad() {
  MeshQuad q;
  q.origin = {-0.5f, 0.5f};  // texture (0, 0) at the top left
  q.uAxis = {1, 0};
  q.vAxis = {0, -1};
  return q;
}

}  // namespace spriteengine
