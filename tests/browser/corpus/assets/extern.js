document.getElementById("extern").textContent = "Extern geladen.";
