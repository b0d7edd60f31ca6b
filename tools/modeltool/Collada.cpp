#include "Collada.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace modelkit {
namespace {

std::string num(double v) {
    if (std::abs(v) < 5e-7) v = 0.0;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.6g", v);
    return buf;
}

// COLLADA matrices are written row by row.
std::string matrixText(const glm::mat4& m) {
    std::string s;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            if (!s.empty()) s += ' ';
            s += num(m[c][r]);
        }
    return s;
}

struct Writer {
    const Scene& scene;
    glm::mat4 toFile;
    glm::mat4 fromFile;
    glm::mat3 normalToFile;
    std::ostringstream geometries, nodes, animations;

    explicit Writer(const Scene& s)
        : scene(s),
          toFile(glm::mat4(s.designToFile)),
          fromFile(glm::inverse(glm::mat4(s.designToFile))),
          normalToFile(glm::transpose(glm::inverse(s.designToFile))) {}

    glm::mat4 fileMatrix(const glm::mat4& design) const { return toFile * design * fromFile; }

    void geometry(const Node& n) {
        const Mesh& m = *n.mesh;
        const std::string id = n.name + "-mesh";
        auto source = [&](const std::string& sid, std::size_t count, int stride,
                          const std::string& params, const std::string& values) {
            geometries << "        <source id=\"" << id << '-' << sid << "\">\n"
                       << "          <float_array id=\"" << id << '-' << sid << "-array\" count=\""
                       << count * static_cast<std::size_t>(stride) << "\">" << values
                       << "</float_array>\n"
                       << "          <technique_common><accessor source=\"#" << id << '-' << sid
                       << "-array\" count=\"" << count << "\" stride=\"" << stride << "\">"
                       << params << "</accessor></technique_common>\n        </source>\n";
        };
        std::string pos, nrm, uv;
        for (std::size_t i = 0; i < m.positions.size(); ++i) {
            const glm::vec3 p = scene.designToFile * m.positions[i];
            const glm::vec3 q = glm::normalize(normalToFile * m.normals[i]);
            // Separators appended on their own: GCC 12 at -O3 warns falsely
            // (-Wrestrict) on "literal" + std::string temporaries.
            if (i) {
                pos += ' ';
                nrm += ' ';
                uv += ' ';
            }
            pos += num(p.x) + ' ' + num(p.y) + ' ' + num(p.z);
            nrm += num(q.x) + ' ' + num(q.y) + ' ' + num(q.z);
            uv += num(m.uvs[i].x) + ' ' + num(1.0f - m.uvs[i].y);
        }
        geometries << "    <geometry id=\"" << id << "\" name=\"" << id << "\">\n      <mesh>\n";
        const std::string xyz =
            "<param name=\"X\" type=\"float\"/><param name=\"Y\" type=\"float\"/>"
            "<param name=\"Z\" type=\"float\"/>";
        source("positions", m.positions.size(), 3, xyz, pos);
        source("normals", m.normals.size(), 3, xyz, nrm);
        source("map", m.uvs.size(), 2,
               "<param name=\"S\" type=\"float\"/><param name=\"T\" type=\"float\"/>", uv);
        geometries << "        <vertices id=\"" << id
                   << "-vertices\"><input semantic=\"POSITION\" source=\"#" << id
                   << "-positions\"/></vertices>\n";
        geometries << "        <triangles material=\"material\" count=\"" << m.triangleCount()
                   << "\">\n"
                   << "          <input semantic=\"VERTEX\" source=\"#" << id
                   << "-vertices\" offset=\"0\"/>\n"
                   << "          <input semantic=\"NORMAL\" source=\"#" << id
                   << "-normals\" offset=\"0\"/>\n"
                   << "          <input semantic=\"TEXCOORD\" source=\"#" << id
                   << "-map\" offset=\"0\" set=\"0\"/>\n"
                   << "          <p>";
        for (std::size_t i = 0; i < m.indices.size(); ++i)
            geometries << (i ? " " : "") << m.indices[i];
        geometries << "</p>\n        </triangles>\n      </mesh>\n    </geometry>\n";
    }

    void animation(const Node& n) {
        const std::string id = n.name + "-anim";
        std::string times, values, interp;
        for (std::size_t i = 0; i < n.keys.size(); ++i) {
            if (i) {
                times += ' ';
                values += ' ';
            }
            times += num(n.keys[i].first);
            values += matrixText(fileMatrix(n.keys[i].second));
            interp += i ? " LINEAR" : "LINEAR";
        }
        const std::size_t k = n.keys.size();
        animations << "    <animation id=\"" << id << "\">\n"
                   << "      <source id=\"" << id << "-input\"><float_array id=\"" << id
                   << "-input-array\" count=\"" << k << "\">" << times
                   << "</float_array><technique_common><accessor source=\"#" << id
                   << "-input-array\" count=\"" << k
                   << "\" stride=\"1\"><param name=\"TIME\" "
                      "type=\"float\"/></accessor></technique_common></source>\n"
                   << "      <source id=\"" << id << "-output\"><float_array id=\"" << id
                   << "-output-array\" count=\"" << k * 16 << "\">" << values
                   << "</float_array><technique_common><accessor source=\"#" << id
                   << "-output-array\" count=\"" << k
                   << "\" stride=\"16\"><param name=\"TRANSFORM\" "
                      "type=\"float4x4\"/></accessor></technique_common></source>\n"
                   << "      <source id=\"" << id << "-interpolation\"><Name_array id=\"" << id
                   << "-interpolation-array\" count=\"" << k << "\">" << interp
                   << "</Name_array><technique_common><accessor source=\"#" << id
                   << "-interpolation-array\" count=\"" << k
                   << "\" stride=\"1\"><param name=\"INTERPOLATION\" "
                      "type=\"name\"/></accessor></technique_common></source>\n"
                   << "      <sampler id=\"" << id
                   << "-sampler\"><input semantic=\"INPUT\" source=\"#" << id
                   << "-input\"/><input semantic=\"OUTPUT\" source=\"#" << id
                   << "-output\"/><input semantic=\"INTERPOLATION\" source=\"#" << id
                   << "-interpolation\"/></sampler>\n"
                   << "      <channel source=\"#" << id << "-sampler\" target=\"" << n.name
                   << "/transform\"/>\n"
                   << "    </animation>\n";
    }

    void node(const Node& n, int depth) {
        const std::string pad(static_cast<std::size_t>(4 + 2 * depth), ' ');
        nodes << pad << "<node id=\"" << n.name << "\" name=\"" << n.name << "\" sid=\"" << n.name
              << "\" type=\"NODE\">\n"
              << pad << "  <matrix sid=\"transform\">" << matrixText(fileMatrix(n.transform))
              << "</matrix>\n";
        if (n.mesh) {
            geometry(n);
            const Material& mat = scene.materials.at(static_cast<std::size_t>(n.material));
            nodes
                << pad << "  <instance_geometry url=\"#" << n.name
                << "-mesh\"><bind_material><technique_common>"
                << "<instance_material symbol=\"material\" target=\"#" << mat.name << "\">"
                << "<bind_vertex_input semantic=\"UVMap\" input_semantic=\"TEXCOORD\" "
                   "input_set=\"0\"/>"
                << "</instance_material></technique_common></bind_material></instance_geometry>\n";
        }
        if (!n.keys.empty()) animation(n);
        for (const Node& c : n.children) node(c, depth + 1);
        nodes << pad << "</node>\n";
    }
};

std::string colour(glm::vec3 c) {
    return num(c.r) + ' ' + num(c.g) + ' ' + num(c.b) + " 1";
}

}  // namespace

std::size_t triangleCount(const Node& node) {
    std::size_t n = node.mesh ? node.mesh->triangleCount() : 0;
    for (const Node& c : node.children) n += triangleCount(c);
    return n;
}

std::size_t nodeCount(const Node& node) {
    std::size_t n = 1;
    for (const Node& c : node.children) n += nodeCount(c);
    return n;
}

void writeCollada(const Scene& scene, const std::string& path) {
    Writer w(scene);
    w.node(scene.root, 0);

    std::ostringstream images, effects, materials;
    for (const Material& m : scene.materials) {
        const bool textured = !m.texture.empty();
        if (textured)
            images << "    <image id=\"" << m.name << "-image\" name=\"" << m.name
                   << "-image\"><init_from>" << m.texture << "</init_from></image>\n";
        effects << "    <effect id=\"" << m.name << "-effect\">\n      <profile_COMMON>\n";
        if (textured)
            effects << "        <newparam sid=\"" << m.name
                    << "-surface\"><surface type=\"2D\"><init_from>" << m.name
                    << "-image</init_from></surface></newparam>\n"
                    << "        <newparam sid=\"" << m.name << "-sampler\"><sampler2D><source>"
                    << m.name << "-surface</source></sampler2D></newparam>\n";
        effects << "        <technique sid=\"common\">\n          <phong>\n"
                << "            <ambient><color sid=\"ambient\">" << colour(m.ambient)
                << "</color></ambient>\n"
                << "            <diffuse>";
        // Assimp keeps the colour beside a texture only when the texture comes first.
        if (textured)
            effects << "<texture texture=\"" << m.name << "-sampler\" texcoord=\"UVMap\"/>";
        effects
            << "<color sid=\"diffuse\">" << colour(m.diffuse) << "</color></diffuse>\n"
            << "            <specular><color sid=\"specular\">" << colour(m.specular)
            << "</color></specular>\n"
            << "            <shininess><float sid=\"shininess\">" << num(m.shininess)
            << "</float></shininess>\n"
            << "          </phong>\n        </technique>\n      </profile_COMMON>\n    </effect>\n";
        materials << "    <material id=\"" << m.name << "\" name=\"" << m.name
                  << "\"><instance_effect url=\"#" << m.name << "-effect\"/></material>\n";
    }

    std::ofstream out(path, std::ios::binary);
    if (!out) throw std::runtime_error("cannot write model file " + path);
    out << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        << "<COLLADA xmlns=\"http://www.collada.org/2005/11/COLLADASchema\" version=\"1.4.1\">\n"
        << "  <asset><contributor><authoring_tool>Veltrix modeltool</authoring_tool></contributor>"
        << "<unit name=\"meter\" meter=\"1\"/><up_axis>Y_UP</up_axis></asset>\n";
    if (!images.str().empty())
        out << "  <library_images>\n" << images.str() << "  </library_images>\n";
    out << "  <library_effects>\n"
        << effects.str() << "  </library_effects>\n"
        << "  <library_materials>\n"
        << materials.str() << "  </library_materials>\n"
        << "  <library_geometries>\n"
        << w.geometries.str() << "  </library_geometries>\n";
    if (!w.animations.str().empty())
        out << "  <library_animations>\n" << w.animations.str() << "  </library_animations>\n";
    out << "  <library_visual_scenes>\n    <visual_scene id=\"" << scene.name << "\" name=\""
        << scene.name << "\">\n"
        << w.nodes.str() << "    </visual_scene>\n  </library_visual_scenes>\n"
        << "  <scene><instance_visual_scene url=\"#" << scene.name << "\"/></scene>\n</COLLADA>\n";
    if (!out) throw std::runtime_error("writing model file " + path + " failed");
}

}  // namespace modelkit
