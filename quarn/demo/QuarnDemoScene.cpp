#include "QuarnDemoScene.h"

#include <cmath>

QuarnImage quarnDemoCheckerImage() {
  QuarnImage image(64, 64, false);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      const bool border = x < 2 || y < 2 || x > 61 || y > 61;
      const bool dark = ((x / 8) + (y / 8)) % 2 == 0;
      image.setPixel(x, y, border ? 0xffffffffu : dark ? 0x1d3f8cffu : 0xf2b632ffu);
    }
  return image;
}

QuarnDemoScene buildQuarnDemoScene(QuarnView& view, const QuarnDemoOptions& options) {
  QuarnDemoScene scene;
  std::shared_ptr<QuarnCamera> camera = view.camera();
  camera->setPosition({0, 12, 38});
  camera->setTarget({0, 0, 0});
  camera->setFov(60);

  scene.backdrop = camera->addBackdrop();
  scene.backdrop->setColor(0, QuarnColor::colorWithCalibratedRed(0.05f, 0.05f, 0.2f, 1));
  scene.backdrop->setColor(1, QuarnColor::colorWithCalibratedRed(0.05f, 0.05f, 0.2f, 1));
  scene.backdrop->setColor(2, QuarnColor::colorWithCalibratedRed(0.2f, 0.35f, 0.6f, 1));
  scene.backdrop->setColor(3, QuarnColor::colorWithCalibratedRed(0.2f, 0.35f, 0.6f, 1));

  std::shared_ptr<QuarnFogMachine> fog = camera->fog();
  fog->setColor(QuarnColor::colorWithCalibratedRed(0.1f, 0.12f, 0.25f, 1));
  fog->setNear(40);
  fog->setFar(110);
  fog->setEnabled(true);

  std::shared_ptr<QuarnLight> light = view.lightNamed("light_0");
  light->setPosition({10, 30, 0});
  light->setAmbient(QuarnColor::colorWithCalibratedRed(0.6f, 0.6f, 0.6f, 1));

  // The texture is uploaded from an image made here, through the texture's image operations.
  scene.texture = view.newTexture();
  scene.texture->setName("checker");
  scene.texture->createGLTextureFromImage(*QuarnTexture::scaleImageForOpenGL(std::make_shared<QuarnImage>(quarnDemoCheckerImage())));
  std::shared_ptr<QuarnShader> textured = view.newShaderWithDiffuse(QuarnColor::whiteColor(), scene.texture);
  textured->setName("checker shader");
  textured->textureLayers().front()->setBlendMode("Modulate");

  scene.carousel = view.newNode();
  scene.carousel->setName("carousel");
  scene.carousel->setAnimated(true);
  scene.carousel->setAngularVelocity({0, 0.3f, 0});

  // The motivator hands each model its spin.
  scene.motivator.setAnimated(true);
  scene.motivator.applyAngularImpulse(0.4f, 1.1f, 0.2f);

  const std::vector<std::string>& types = QuarnGeometry::geometryTypes();
  for (size_t i = 0; i < types.size(); ++i) {
    std::shared_ptr<QuarnGeometry> geometry = view.newGeometryWithType(types[i]);
    std::shared_ptr<QuarnShader> shader =
        types[i] == "box" ? textured
                          : view.newShaderWithDiffuse(QuarnColor::colorWithCalibratedHue(i / float(types.size()), 0.7f, 1, 1));
    const QuarnColor diffuse = shader->diffuse();
    shader->setAmbient(QuarnColor::colorWithCalibratedRed(diffuse.red * 0.5f, diffuse.green * 0.5f, diffuse.blue * 0.5f, 1));
    shader->setSpecular(QuarnColor::colorWithCalibratedRed(0.6f, 0.6f, 0.6f, 1));
    shader->setSpecularity(40);
    std::shared_ptr<QuarnModel> model = view.newModelWithGeometry(geometry, shader, types[i]);
    const float angle = static_cast<float>(2 * M_PI * i / types.size());
    model->setPosition({16 * std::cos(angle), 0, 16 * std::sin(angle)});
    model->setScale({2.5f, 2.5f, 2.5f});
    model->setParent(scene.carousel);
    model->setAnimated(scene.motivator.isAnimated());
    model->applyAngularImpulseByVector(scene.motivator.angularVelocity());
    scene.motivator.applyAngularImpulse(0.3f, -0.2f, 0.1f);
    scene.models.push_back(model);
  }

  for (int i = 0; i < options.particleSystems; ++i) {
    std::shared_ptr<QuarnParticleSystem> particles = view.newParticles();
    particles->setNumParticles(options.particlesPerSystem);
    particles->setGY(-0.01f);
    particles->setMinScale(0.05f);
    particles->setMaxScale(0.25f);
    particles->setMaxVelocity(0.5f);
    particles->setMinVelocity(0.05f);
    std::shared_ptr<QuarnShader> sparks =
        view.newShaderWithDiffuse(QuarnColor::colorWithCalibratedHue(0.08f + 0.1f * i, 0.8f, 1, 1));
    sparks->setEmissive(QuarnColor::colorWithCalibratedHue(0.08f + 0.1f * i, 0.8f, 0.6f, 1));
    std::shared_ptr<QuarnModel> fountain = view.newModelWithGeometry(particles, sparks);
    const float angle = static_cast<float>(2 * M_PI * i / std::max(1, options.particleSystems));
    const float radius = options.particleSystems > 1 ? 6.0f : 0.0f;
    fountain->setPosition({radius * std::cos(angle), 4, radius * std::sin(angle)});
    scene.particleSystems.push_back(particles);
  }
  return scene;
}
