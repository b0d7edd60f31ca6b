#include "TestModels.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <unistd.h>

namespace SceneObjectTest {

std::string triangleGeometry(const std::string& id, const std::string& a, const std::string& b,
                             const std::string& c) {
    return "<geometry id=\"" + id + "\" name=\"" + id +
           "\"><mesh>"
           "<source id=\"" +
           id + "-p\"><float_array id=\"" + id + "-pa\" count=\"9\">" + a + " " + b + " " + c +
           "</float_array><technique_common><accessor source=\"#" + id +
           "-pa\" count=\"3\" stride=\"3\">"
           "<param name=\"X\" type=\"float\"/><param name=\"Y\" type=\"float\"/><param name=\"Z\" "
           "type=\"float\"/>"
           "</accessor></technique_common></source>"
           "<source id=\"" +
           id + "-n\"><float_array id=\"" + id +
           "-na\" count=\"9\">0 0 1 0 0 1 0 0 1</float_array>"
           "<technique_common><accessor source=\"#" +
           id +
           "-na\" count=\"3\" stride=\"3\">"
           "<param name=\"X\" type=\"float\"/><param name=\"Y\" type=\"float\"/><param name=\"Z\" "
           "type=\"float\"/>"
           "</accessor></technique_common></source>"
           "<source id=\"" +
           id + "-t\"><float_array id=\"" + id +
           "-ta\" count=\"6\">0 0 1 0 0 0.25</float_array>"
           "<technique_common><accessor source=\"#" +
           id +
           "-ta\" count=\"3\" stride=\"2\">"
           "<param name=\"S\" type=\"float\"/><param name=\"T\" "
           "type=\"float\"/></accessor></technique_common></source>"
           "<vertices id=\"" +
           id + "-v\"><input semantic=\"POSITION\" source=\"#" + id +
           "-p\"/></vertices>"
           "<triangles material=\"mat\" count=\"1\"><input semantic=\"VERTEX\" source=\"#" +
           id +
           "-v\" offset=\"0\"/>"
           "<input semantic=\"NORMAL\" source=\"#" +
           id +
           "-n\" offset=\"0\"/>"
           "<input semantic=\"TEXCOORD\" source=\"#" +
           id +
           "-t\" offset=\"0\" set=\"0\"/><p>0 1 2</p></triangles>"
           "</mesh></geometry>\n";
}

std::string node(const std::string& name, const std::string& geometry, const std::string& children,
                 const std::string& matrix) {
    std::string s = "<node id=\"" + name + "\" name=\"" + name + "\" sid=\"" + name +
                    "\" type=\"NODE\">"
                    "<matrix sid=\"transform\">" +
                    matrix + "</matrix>";
    if (!geometry.empty())
        s += "<instance_geometry url=\"#" + geometry +
             "\"><bind_material><technique_common>"
             "<instance_material symbol=\"mat\" "
             "target=\"#m\"/></technique_common></bind_material></instance_geometry>";
    return s + children + "</node>\n";
}

std::string matrixAnimation(const std::string& n, const std::string& times,
                            const std::string& matrices, int keys) {
    const std::string k = std::to_string(keys);
    std::string interp;
    for (int i = 0; i < keys; ++i) interp += i ? " LINEAR" : "LINEAR";
    return "<animation id=\"" + n +
           "-anim\">"
           "<source id=\"" +
           n + "-in\"><float_array id=\"" + n + "-ina\" count=\"" + k + "\">" + times +
           "</float_array><technique_common><accessor source=\"#" + n + "-ina\" count=\"" + k +
           "\" stride=\"1\"><param name=\"TIME\" "
           "type=\"float\"/></accessor></technique_common></source>"
           "<source id=\"" +
           n + "-out\"><float_array id=\"" + n + "-outa\" count=\"" + std::to_string(16 * keys) +
           "\">" + matrices + "</float_array><technique_common><accessor source=\"#" + n +
           "-outa\" count=\"" + k +
           "\" stride=\"16\"><param name=\"TRANSFORM\" "
           "type=\"float4x4\"/></accessor></technique_common></source>"
           "<source id=\"" +
           n + "-ip\"><Name_array id=\"" + n + "-ipa\" count=\"" + k + "\">" + interp +
           "</Name_array><technique_common><accessor source=\"#" + n + "-ipa\" count=\"" + k +
           "\" stride=\"1\"><param name=\"INTERPOLATION\" "
           "type=\"name\"/></accessor></technique_common></source>"
           "<sampler id=\"" +
           n + "-s\"><input semantic=\"INPUT\" source=\"#" + n +
           "-in\"/>"
           "<input semantic=\"OUTPUT\" source=\"#" +
           n + "-out\"/><input semantic=\"INTERPOLATION\" source=\"#" + n +
           "-ip\"/></sampler><channel source=\"#" + n + "-s\" target=\"" + n +
           "/transform\"/></animation>\n";
}

std::string document(const std::string& geometries, const std::string& nodes,
                     const std::string& animations, const std::string& phong,
                     const std::string& effectParams, const std::string& images) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
           "<COLLADA xmlns=\"http://www.collada.org/2005/11/COLLADASchema\" version=\"1.4.1\">"
           "<asset><unit name=\"meter\" meter=\"1\"/><up_axis>Y_UP</up_axis></asset>" +
           (images.empty() ? std::string() : "<library_images>" + images + "</library_images>") +
           "<library_effects><effect id=\"m-fx\"><profile_COMMON>" + effectParams +
           "<technique sid=\"t\"><phong>" + phong +
           "</phong></technique></profile_COMMON></effect></library_effects>"
           "<library_materials><material id=\"m\" name=\"TestMaterial\"><instance_effect "
           "url=\"#m-fx\"/></material>"
           "</library_materials><library_geometries>" +
           geometries + "</library_geometries>" +
           (animations.empty() ? std::string()
                               : "<library_animations>" + animations + "</library_animations>") +
           "<library_visual_scenes><visual_scene id=\"TestScene\" name=\"TestScene\">" + nodes +
           "</visual_scene></library_visual_scenes><scene><instance_visual_scene "
           "url=\"#TestScene\"/></scene>"
           "</COLLADA>\n";
}

// A material whose diffuse colour comes from the image file at `path`.
std::string texturedPhong() {
    return "<diffuse><texture texture=\"m-sampler\" texcoord=\"UVMap\"/><color>1 1 1 "
           "1</color></diffuse>";
}
std::string textureParams() {
    return "<newparam sid=\"m-surface\"><surface "
           "type=\"2D\"><init_from>m-image</init_from></surface></newparam>"
           "<newparam "
           "sid=\"m-sampler\"><sampler2D><source>m-surface</source></sampler2D></newparam>";
}
std::string image(const std::string& path) {
    return "<image id=\"m-image\" name=\"m-image\"><init_from>" + path + "</init_from></image>";
}

std::string writeScratch(const std::string& fileName, const std::string& text) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("vx_sceneobject_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const auto path = dir / fileName;
    std::ofstream out(path, std::ios::binary);
    out << text;
    if (!out) throw std::runtime_error("cannot write " + path.string());
    return path.string();
}

}  // namespace SceneObjectTest
